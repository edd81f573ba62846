#include "app/MainForm.h"
#include "notes/NoteFiles.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/PlainText.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>
#include <algorithm>

namespace qm {

// The extension follows the file type picked, and stays for the next export.
void TMainForm::SaveDialog1TypeChange() {
    switch (SaveDialog1.FilterIndex) {
    case 1:
        SaveDialog1.DefaultExt = QStringLiteral("txt");
        break;
    case 2:
        SaveDialog1.DefaultExt = QStringLiteral("htm");
        break;
    default:
        SaveDialog1.DefaultExt = QStringLiteral("");
        break;
    }
}

void TMainForm::SpeedButtonSaveAsClick() {
    SaveDialog1.InitialDir = UserComp1.Desktop;
    SaveDialog1.Filter = QStringLiteral(
        "Text files (*.txt)|*.txt|Html files (*.htm, *.html)|*.htm;*.html|All files (*.*)|*.*");
    if (SaveDialog1.DefaultExt.isNull())
        SaveDialog1.DefaultExt = QStringLiteral("txt");
    SaveDialog1.OnTypeChange = [this] { SaveDialog1TypeChange(); };
    const QString fileName = NoteListFileName();
    if (!fileName.isEmpty() && QFileInfo(fileName).isFile())
        SaveDialog1.FileName = QFileInfo(fileName).fileName();
    if (!SaveDialog1.Execute(this))
        return;
    SaveEditorToFile(SaveDialog1.FileName);
    if (QDir::cleanPath(QFileInfo(SaveDialog1.FileName).absolutePath()) != QDir::cleanPath(NoteListDirectory))
        return;
    // Written over the note itself, the changes are saved; any other name in the folder reads the
    // list again, which takes the editor's text.
    if (QDir::cleanPath(SaveDialog1.FileName) == QDir::cleanPath(CurrentNoteFile))
        SpeedButtonUpdate->setEnabled(false);
    AskToSaveChangedNote();
    NoteListUpdate();
}

void TMainForm::SpeedButtonAggDataClick() {
    Editor->appendPlainText(FormatDateTime(ShotDateFormat + QStringLiteral(" - hh.mm.ss"), Now()));
    SpeedButtonRestoreNote->setEnabled(false);
}

void TMainForm::SpeedButtonStatClick() {
    const QTextDocument* document = Editor->document();
    int lines = 0;
    int chars = 0;
    const bool wrap = Editor->lineWrapMode() != QPlainTextEdit::NoWrap;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const bool last = !block.next().isValid();
        if (last && block.text().isEmpty())
            break;
        const int shown = wrap && block.layout() ? block.layout()->lineCount() : 0;
        lines += shown > 0 ? shown : 1;
    }
    // Each line break counts as the two characters it takes in the file.
    const QString text = Editor->toPlainText();
    chars = int(text.size() + text.count(QLatin1Char('\n')));
    ShowMessage(QStringLiteral("Lines: %1\r\nChars (spaces included): %2").arg(lines).arg(chars));
}

void TMainForm::SpeedButtonRestoreNoteClick() {
    // One level: the first use undoes, the next redoes.
    if (Editor->document()->isUndoAvailable())
        Editor->undo();
    else
        Editor->redo();
}

void TMainForm::SpeedButton_BreaklineClick() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::SpeedButton_FormatbarClick() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::Panel_CharSetClick() {
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
    PopupMenu_CharSet->popup(Panel_CharSet->mapToGlobal(QPoint(0, 0)));
}

void TMainForm::CharSetItemClick(int charset) {
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(true);
    if (!CurrentNoteEncoding.source || !SpeedButtonFind->isEnabled()) {
        Editor->setProperty("FontCharset", charset);
        CurrentNoteEncoding = NoteEncodingForCharset(charset);
        return;
    }
    // The charset changes how the note's bytes look, never the bytes: what was typed becomes bytes in
    // the code page it was typed under, and all of it shows in the new one. Typed text the old code
    // page cannot hold stops the change here, with the text as it was.
    const NoteText note = RereadNote(PlainTextOf(Editor), CurrentNoteEncoding, charset);
    Editor->setProperty("FontCharset", charset);
    CurrentNoteEncoding = note.used;
    if (note.text == PlainTextOf(Editor))
        return;
    // As with a new font, the caret and the lines in view stay where they were.
    const bool changed = SpeedButtonUpdate->isEnabled();
    const int caret = Editor->textCursor().position();
    const int scroll = Editor->verticalScrollBar()->value();
    Editor->setPlainText(note.text);
    QTextCursor cursor = Editor->textCursor();
    cursor.setPosition(std::min(caret, Editor->document()->characterCount() - 1));
    Editor->setTextCursor(cursor);
    Editor->verticalScrollBar()->setValue(scroll);
    // Read again, not edited: a changed note stays changed, an unchanged one unchanged. The undo
    // history went with the old reading.
    SpeedButtonUpdate->setEnabled(changed);
    SpeedButtonRestoreNote->setEnabled(false);
}

void TMainForm::SpeedButtonFindClick() {
    if (!FindDialog1) {
        FindDialog1 = new QDialog(this);
        FindDialog1->setObjectName(QStringLiteral("FindDialog1"));
        FindDialog1->setWindowTitle(QStringLiteral("Find"));
        auto* layout = new QHBoxLayout(FindDialog1);
        FindDialog1Text = new QLineEdit(FindDialog1);
        FindDialog1Text->setObjectName(QStringLiteral("FindText"));
        auto* next = new QPushButton(QStringLiteral("Find next"), FindDialog1);
        next->setObjectName(QStringLiteral("FindNext"));
        next->setDefault(true);
        layout->addWidget(FindDialog1Text, 1);
        layout->addWidget(next);
        ConnectGuarded(next, &QPushButton::clicked, this,
                       [this] { FindDialog1Find(FindDialog1Text->text()); });
    }
    FindDialog1->show();
    FindDialog1->raise();
}

void TMainForm::FindDialog1Find(const QString& searchText) {
    const QString text = Editor->toPlainText();
    QTextCursor cursor = Editor->textCursor();
    const int start = cursor.selectionStart();
    // The character at the caret is skipped, so that searching again steps past the match just shown.
    const QString rest = text.mid(start + 1);
    // Every letter is folded, one character for one, so that the match keeps its place in the text.
    const qsizetype found = searchText.isEmpty() ? -1 : rest.indexOf(searchText, 0, Qt::CaseInsensitive);
    if (found < 0) {
        ShowMessage(QStringLiteral("I have ended the search of ") + QLatin1Char('"') + searchText +
                    QLatin1Char('"'));
        return;
    }
    Editor->setFocus();
    const int matchStart = start + 1 + int(found);
    cursor.setPosition(matchStart);
    cursor.setPosition(matchStart + int(searchText.size()), QTextCursor::KeepAnchor);
    Editor->setTextCursor(cursor);
}

} // namespace qm
