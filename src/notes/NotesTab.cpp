#include "app/MainForm.h"
#include "notes/NoteFiles.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/TextLines.h"
#include "platform/widgets/FileListBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/PlainText.h"
#include "views/DeleteConfirm.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QToolButton>
#include <stdexcept>

namespace qm {

namespace {

QString FileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The filter edit's clicks: a press asks about a changed note, a double click resets the mask.
class FilterEditClicks : public QObject {
public:
    explicit FilterEditClicks(TMainForm* form) : QObject(form), m_form(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonPress)
            Guarded([this] { m_form->Edit_FiltrafileClick(); });
        else if (event->type() == QEvent::MouseButtonDblClick)
            Guarded([this] { m_form->Edit_FiltrafileDblClick(); });
        return false;
    }

private:
    TMainForm* m_form;
};

} // namespace

// --- the notes list ---

QString TMainForm::NoteListFileName() const {
    const int row = FileListBoxNote->PickedRow();
    return row < 0 ? QString() : JoinPath(NoteListDirectory, FileListBoxNote->item(row)->text());
}

void TMainForm::NoteListUpdate() {
    FileListBoxNote->clear();
    FileListBoxNote->addItems(ListMatchingFiles(NoteListDirectory, NoteListMask));
    FileListBoxNote->ShowPicked(-1);
    NoteListRow = -1;
    FileListBoxNoteChange();
}

void TMainForm::NoteListSetDirectory(const QString& folder) {
    QString dir = folder;
    while (dir.size() > 1 && dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    NoteListDirectory = dir;
    NoteListUpdate();
}

void TMainForm::NoteListSetMask(const QString& mask) {
    NoteListMask = mask.isEmpty() ? QStringLiteral("*.*") : mask;
    NoteListUpdate();
}

void TMainForm::NoteListShowPath(const QString& path) {
    const QFileInfo info(path);
    if (info.isDir()) {
        NoteListSetDirectory(info.absoluteFilePath());
        return;
    }
    NoteListSetDirectory(info.absolutePath());
    if (!MatchesFileMask(info.fileName(), NoteListMask))
        NoteListSetMask(info.fileName());
    const QList<QListWidgetItem*> found = FileListBoxNote->findItems(info.fileName(), Qt::MatchExactly);
    if (found.isEmpty())
        return;
    NoteListRow = FileListBoxNote->row(found.first());
    FileListBoxNote->ShowPicked(NoteListRow);
    FileListBoxNoteChange();
}

// --- loading and saving the editor ---

void TMainForm::LoadEditorFromFile(const QString& path) {
    const NoteText note = ReadNoteFile(path, NoteEncodingForCharset(Editor->property("FontCharset").toInt()));
    CurrentNoteEncoding = note.used;
    // An identical text is not set again, so that reloading an unchanged note leaves it unchanged.
    if (note.text != PlainTextOf(Editor))
        Editor->setPlainText(note.text);
}

void TMainForm::SaveEditorToFile(const QString& path) {
    WriteNoteFile(path, PlainTextOf(Editor), CurrentNoteEncoding);
}

// --- list handlers ---

void TMainForm::FileListBoxNoteClick() {
    if (FileListBoxNote->count() == 0)
        return;
    AskToSaveChangedNote();
    const QString fileName = NoteListFileName();
    if (IsTextFile(fileName))
        LoadEditorFromFile(fileName);
    CurrentNoteFile = fileName;
    Panel_nomeCompleto->SetCaption(NotesFolderCaption + FileNameOf(fileName));
}

void TMainForm::AskToSaveChangedNote() {
    if (!SpeedButtonUpdate->isEnabled())
        return;
    PageControlMenu->setCurrentWidget(TabSheetNotes);
    PageControlMenuChange();
    if (MessageBox(QStringLiteral("Save the changes to ") + Quoted(FileNameOf(CurrentNoteFile)) +
                       QStringLiteral("?"),
                   MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return;
    // A note that was not written keeps its text and its mark: what asked stops here, as it does
    // when the write fails.
    if (!IsTextFile(CurrentNoteFile))
        throw std::runtime_error("Sorry, I can update only ascii files!");
    SaveEditorToFile(CurrentNoteFile);
    SpeedButtonUpdate->setEnabled(false);
}

void TMainForm::FileListBoxNotePicked() {
    const int row = FileListBoxNote->PickedRow();
    // When the changed note could not be saved, the list goes back to it, so that the text shown,
    // the list and Update file all stay with that note.
    try {
        FileListBoxNoteClick();
    } catch (...) {
        FileListBoxNote->ShowPicked(NoteListRow);
        throw;
    }
    const bool other = row != NoteListRow;
    NoteListRow = row;
    if (other)
        FileListBoxNoteChange();
}

void TMainForm::FileListBoxNoteChange() {
    const QString fileName = NoteListFileName();
    QToolButton* const selectionButtons[] = {SpeedButtonDelnote, SpeedButtonmodNote, SpeedButtonPrintNote,
                                             SpeedButtonFind,    SpeedButtonAggData, SpeedButtonStat,
                                             SpeedButtonSaveAs,  SpeedButtonLancia};
    if (FileListBoxNote->count() > 0 && !fileName.isEmpty()) {
        for (QToolButton* button : selectionButtons)
            button->setEnabled(true);
        SpeedButtonUpdate->setEnabled(false);
        SpeedButtonRestoreNote->setEnabled(false);
        Editor->setEnabled(true);
        Editor->setFocus();
    } else {
        for (QToolButton* button : selectionButtons)
            button->setEnabled(false);
        SpeedButtonUpdate->setEnabled(false);
        SpeedButtonRestoreNote->setEnabled(false);
        Editor->setEnabled(false);
        Editor->clear();
        Panel_nomeCompleto->SetCaption(NotesFolderCaption);
    }
    Panel_totnote->SetCaption(QString::number(FileListBoxNote->count()) + QStringLiteral("   "));
    SpeedButton_NoteHome->setEnabled(NoteListDirectory != NotesFolder);
    if (!IsTextFile(fileName)) {
        SpeedButtonFind->setEnabled(false);
        SpeedButtonUpdate->setEnabled(false);
        SpeedButtonRestoreNote->setEnabled(false);
        SpeedButtonSaveAs->setEnabled(false);
        Editor->setEnabled(false);
        Editor->clear();
    }
}

void TMainForm::FileListBoxNoteDblClick() {
    if (SpeedButtonmodNote->isEnabled())
        SpeedButtonmodNote->click();
}

void TMainForm::EditorChange() {
    NoteDropAgreed = false;
    if (SpeedButtonFind->isEnabled())
        SpeedButtonUpdate->setEnabled(true);
    if (IsTextFile(NoteListFileName()))
        SpeedButtonRestoreNote->setEnabled(true);
}

// --- buttons ---

void TMainForm::SpeedButtonUpdateClick() {
    const QString fileName = NoteListFileName();
    if (IsTextFile(fileName))
        SaveEditorToFile(fileName);
    else
        ShowMessage(QStringLiteral("Sorry, I can update only ascii files!"));
    SpeedButtonUpdate->setEnabled(false);
}

void TMainForm::SpeedButtonDelnoteClick() {
    const QString fileName = NoteListFileName();
    if (fileName.isEmpty()) {
        ShowMessage(QStringLiteral(" First select a file!"));
        return;
    }
    if (MessageBox(QStringLiteral(" You are in order to eliminate \"") + FileNameOf(fileName) +
                       DeleteConfirmSuffix(),
                   MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return;
    // The list is read again below, which takes the editor's text; the note deleted is the only
    // one whose changes the user has already given up.
    if (QDir::cleanPath(fileName) != QDir::cleanPath(CurrentNoteFile))
        AskToSaveChangedNote();
    QFile::remove(fileName);
    NoteListUpdate();
    Editor->clear();
    Panel_nomeCompleto->SetCaption(NotesFolderCaption);
}

void TMainForm::SpeedButtonLanciaClick() {
    const QString fileName = NoteListFileName();
    // A name without extension has no handler of its own; the desktop opens it as text.
    OpenWithDesktop(fileName);
    if (QFileInfo(fileName).suffix().compare(QLatin1String("clr"), Qt::CaseInsensitive) == 0)
        LoadColorSetFile(fileName);
}

void TMainForm::SpeedButton_NoteHomeClick() {
    if (SpeedButtonUpdate->isEnabled() &&
        MessageBox(QStringLiteral("Update the file: ") + Quoted(FileNameOf(CurrentNoteFile)) +
                       QStringLiteral(" ?"),
                   MsgCaption, MsgYesNo + MsgQuestion) == MsgYes) {
        SaveEditorToFile(CurrentNoteFile);
        SpeedButtonUpdate->setEnabled(false);
    }
    NoteListShowPath(NotesFolder);
    NotesFolderCaption = QStringLiteral(" FOLDER: Notes - FILE: ");
    Panel_nomeCompleto->SetCaption(NotesFolderCaption);
}

void TMainForm::SpeedButtonRinfrescaNoteClick() {
    if (SpeedButtonUpdate->isEnabled())
        FileListBoxNoteClick();
    NoteListUpdate();
}

void TMainForm::Edit_FiltrafileChange() {
    const QString text = Edit_Filtrafile->text();
    // Typing reads the list again, which takes the editor's text; a No to the click's question has
    // already let the changes go.
    if (!NoteDropAgreed)
        AskToSaveChangedNote();
    NoteListSetMask(text.isEmpty() ? QStringLiteral("*.*") : QLatin1Char('*') + text + QLatin1Char('*'));
}

void TMainForm::Edit_FiltrafileClick() {
    if (!SpeedButtonUpdate->isEnabled() || NoteDropAgreed)
        return;
    if (MessageBox(
            QStringLiteral("If you change the filtering mask, you will lost the last text changes. Save "
                           "the changes at ") +
                Quoted(FileNameOf(CurrentNoteFile)) + QStringLiteral("?"),
            MsgCaption, MsgYesNo + MsgQuestion) == MsgYes)
        SpeedButtonUpdate->click();
    else
        NoteDropAgreed = true;
}

void TMainForm::Edit_FiltrafileDblClick() {
    Edit_Filtrafile->setText(QStringLiteral("*.*"));
}

void TMainForm::SpeedButtonSpiegazioneImpegnoClick() {
    ShowMessage(
        QStringLiteral("The asterisk (*) is a wildcard which matches any number of arbitrary characters. "
                       "The question mark (?) is a wildcard which matches a single arbitrary character. "
                       "The file mask *.* displays all files, which is the default value."));
}

bool TMainForm::AskToSaveNoteBeforeQuit() {
    if (!SpeedButtonUpdate->isEnabled())
        return true;
    PageControlMenu->setCurrentWidget(TabSheetNotes);
    PageControlMenuChange();
    if (MessageBox(QStringLiteral("Update the file: ") + Quoted(FileNameOf(CurrentNoteFile)) +
                       QStringLiteral(" before saying hello?"),
                   MsgCaption, MsgYesNo + MsgQuestion) != MsgYes)
        return true;
    // A note that cannot be written keeps the program running, so that its text is not lost.
    if (!Guarded([this] { SaveEditorToFile(CurrentNoteFile); }))
        return false;
    SpeedButtonUpdate->setEnabled(false);
    return true;
}

void TMainForm::ConnectNotesTab() {
    ConnectGuarded(FileListBoxNote, &TFileListBox::Picked, this, [this] { FileListBoxNotePicked(); });
    ConnectGuarded(FileListBoxNote, &TFileListBox::DoublePicked, this, [this] { FileListBoxNoteDblClick(); });
    ConnectGuarded(Editor, &QPlainTextEdit::textChanged, this, [this] { EditorChange(); });
    ConnectGuarded(SpeedButtonUpdate, &QToolButton::clicked, this, [this] { SpeedButtonUpdateClick(); });
    // Update file from the keyboard, wherever the focus is on the Notes tab.
    auto* saveKey =
        new QShortcut(QKeySequence::Save, TabSheetNotes, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
    ConnectGuarded(saveKey, &QShortcut::activated, this, [this] {
        if (SpeedButtonUpdate->isEnabled())
            SpeedButtonUpdate->click();
    });
    ConnectGuarded(SpeedButtonDelnote, &QToolButton::clicked, this, [this] { SpeedButtonDelnoteClick(); });
    ConnectGuarded(SpeedButtonAggNote, &QToolButton::clicked, this, [this] { SpeedButtonAggNoteClick(); });
    ConnectGuarded(SpeedButtonmodNote, &QToolButton::clicked, this, [this] { SpeedButtonmodNoteClick(); });
    ConnectGuarded(SpeedButtonLancia, &QToolButton::clicked, this, [this] { SpeedButtonLanciaClick(); });
    ConnectGuarded(SpeedButton_NoteHome, &QToolButton::clicked, this,
                   [this] { SpeedButton_NoteHomeClick(); });
    ConnectGuarded(SpeedButtonRinfrescaNote, &QToolButton::clicked, this,
                   [this] { SpeedButtonRinfrescaNoteClick(); });
    ConnectGuarded(Edit_Filtrafile, &QLineEdit::textChanged, this, [this] { Edit_FiltrafileChange(); });
    Edit_Filtrafile->installEventFilter(new FilterEditClicks(this));
    ConnectGuarded(SpeedButtonSpiegazioneImpegno, &QToolButton::clicked, this,
                   [this] { SpeedButtonSpiegazioneImpegnoClick(); });
    ConnectGuarded(SpeedButtonSaveAs, &QToolButton::clicked, this, [this] { SpeedButtonSaveAsClick(); });
    ConnectGuarded(SpeedButtonAggData, &QToolButton::clicked, this, [this] { SpeedButtonAggDataClick(); });
    ConnectGuarded(SpeedButtonStat, &QToolButton::clicked, this, [this] { SpeedButtonStatClick(); });
    ConnectGuarded(SpeedButtonRestoreNote, &QToolButton::clicked, this,
                   [this] { SpeedButtonRestoreNoteClick(); });
    ConnectGuarded(SpeedButton_Breakline, &QToolButton::clicked, this,
                   [this] { SpeedButton_BreaklineClick(); });
    ConnectGuarded(SpeedButton_Formatbar, &QToolButton::clicked, this,
                   [this] { SpeedButton_FormatbarClick(); });
    ConnectGuarded(Panel_CharSet, &TPanel::MouseDown, this, [this] { Panel_CharSetClick(); });
    for (QAction* item : PopupMenu_CharSet->actions())
        ConnectGuarded(item, &QAction::triggered, this,
                       [this, item] { CharSetItemClick(item->data().toInt()); });
    ConnectGuarded(SpeedButtonFind, &QToolButton::clicked, this, [this] { SpeedButtonFindClick(); });
    ConnectNotesExtras();
    ConnectDroppedFiles();
}

} // namespace qm
