#include "notes/NoteDialogs.h"

#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "notes/NoteFiles.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"
#include "platform/widgets/PlainText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <memory>

namespace qm {

TNoteFormBase::TNoteFormBase(QWidget* owner, const QString& name, const QString& caption,
                             const QString& tipHint)
    : TDialogFrame(owner, {QStringLiteral("Panel_Border"), QStringLiteral("Panel_Colored"),
                           QStringLiteral("Panel2")}) {
    setObjectName(name);
    setWindowTitle(caption);
    Panel_Border = OuterPanel();
    Panel_Colored = BottomPanel();
    resize(480, 360);
    QWidget* p = InnerPanel();
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 6, 8, 6);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel(QStringLiteral("Title"), p));
    Edit_nomefile = MakeEdit(p, QStringLiteral("Edit_nomefile"), QString());
    Edit_nomefile->setMaxLength(200);
    titleRow->addWidget(Edit_nomefile, 1);
    SpeedButtonMax = MakeSpeedButton(p, QStringLiteral("SpeedButtonMax"), QStringLiteral("?"), tipHint);
    titleRow->addWidget(SpeedButtonMax);
    layout->addLayout(titleRow);
    layout->addWidget(new QLabel(QStringLiteral("Text"), p));
    editor = new QPlainTextEdit(p);
    editor->setObjectName(QStringLiteral("editor"));
    editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(editor, 1);
    ColourOnFocus(Edit_nomefile);
    ColourOnFocus(editor);

    SpeedButton3 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton3"), QStringLiteral("Close"),
                                   QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    SpeedButton4 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton4"), QStringLiteral("Save"),
                                   QStringLiteral("Save"), QStyle::SP_DialogSaveButton);
    SpeedButton5 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton5"), QStringLiteral("Open"),
                                   QStringLiteral("Open"), QStyle::SP_DialogOpenButton);
    connect(SpeedButton3, &QToolButton::clicked, this, &QDialog::reject);
    ConnectGuarded(SpeedButton4, &QToolButton::clicked, this, [this] { SpeedButton4Click(); });
    ConnectGuarded(SpeedButton5, &QToolButton::clicked, this, [this] { SpeedButton5Click(); });
    ConnectGuarded(SpeedButtonMax, &QToolButton::clicked, this, [this] { SpeedButtonMaxClick(); });
}

void TNoteFormBase::AddButtons(const QList<QToolButton*>& buttons) {
    for (QToolButton* button : buttons)
        ButtonLayout()->addWidget(button);
}

void TNoteFormBase::CopyEditorLook() {
    SetSectionColor(MainForm->SectionColors.NotesColor);
    const QPlainTextEdit* main = MainForm->Editor;
    editor->setPalette(main->palette());
    editor->setFont(main->font());
    editor->setLineWrapMode(main->lineWrapMode());
    editor->setHorizontalScrollBarPolicy(main->horizontalScrollBarPolicy());
    editor->setProperty("FontCharset", main->property("FontCharset"));
    m_encoding = NoteEncodingForCharset(main->property("FontCharset").toInt());
}

QString TNoteFormBase::TitlePath() {
    if (Edit_nomefile->text().isEmpty())
        Edit_nomefile->setText(FormatDateTime(QStringLiteral("yyyy-mm-dd,hh-nn-ss"), Now()));
    return NotePathForTitle(MainForm->NoteListDirectory, Edit_nomefile->text());
}

bool TNoteFormBase::AskOverwrite() {
    return MessageBox(QStringLiteral("Overwrite the file: \"") + Edit_nomefile->text() +
                          QStringLiteral("\"?"),
                      MainForm->MsgCaption, MainForm->MsgYesNo + MainForm->MsgQuestion) == MainForm->MsgYes;
}

void TNoteFormBase::WriteText(const QString& path) {
    WriteNoteFile(path, PlainTextOf(editor), m_encoding);
}

void TNoteFormBase::SpeedButton4Click() {
    TCoolTrayIcon* tray = MainForm->CoolTrayIcon;
    tray->SetIconVisible(false);
    TSaveDialog& dialog = MainForm->SaveDialog1;
    dialog.InitialDir = MainForm->NoteListDirectory;
    dialog.FileName = Edit_nomefile->text();
    dialog.Filter = QStringLiteral(
        "Text files (*.txt)|*.txt|Html files (*.htm, *.html)|*.htm;*.html|All files (*.*)|*.*");
    if (dialog.DefaultExt.isNull())
        dialog.DefaultExt = QStringLiteral("txt");
    const bool chosen = dialog.Execute(this);
    tray->SetIconVisible(true);
    if (!chosen)
        return;
    WriteText(dialog.FileName);
    MainForm->NoteListUpdate();
}

void TNoteFormBase::SpeedButton5Click() {
    TCoolTrayIcon* tray = MainForm->CoolTrayIcon;
    tray->SetIconVisible(false);
    TOpenDialog& dialog = MainForm->OpenDialogSound;
    dialog.InitialDir = MainForm->UserComp1.Desktop;
    dialog.FileName.clear();
    dialog.Filter = m_openFilter;
    const bool chosen = dialog.Execute(this);
    tray->SetIconVisible(true);
    if (!chosen)
        return;
    const NoteText note = ReadNoteFile(dialog.FileName, m_encoding);
    m_encoding = note.used;
    editor->setPlainText(note.text);
    Edit_nomefile->setText(QFileInfo(dialog.FileName).fileName());
}

void TNoteFormBase::SpeedButtonMaxClick() {
    ShowMessage(QStringLiteral("Invalid chars for note title \\ / : * ? ") + QLatin1Char('"') +
                QStringLiteral(" < > |"));
}

// ---- new note ----

TAggNoteForm::TAggNoteForm(QWidget* owner)
    : TNoteFormBase(owner, QStringLiteral("AggNoteForm"), QStringLiteral("-> New Note"),
                    QStringLiteral("Tip")) {
    m_openFilter = QStringLiteral("Test files (*.txt)|*.txt");
    SpeedButton1 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton1"), QStringLiteral("Insert"),
                                   QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonAddClose = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButtonAddClose"),
                                          QStringLiteral("Insert and close"),
                                          QStringLiteral("Insert and close"), QStyle::SP_DialogApplyButton);
    AddButtons({SpeedButton1, SpeedButtonAddClose, SpeedButton3, SpeedButton4, SpeedButton5});
    ConnectGuarded(SpeedButton1, &QToolButton::clicked, this, [this] { SaveNote(); });
    connect(SpeedButtonAddClose, &QToolButton::clicked, this, [this] { SpeedButtonAddCloseClick(); });
}

void TAggNoteForm::FormShow() {
    CopyEditorLook();
    Edit_nomefile->clear();
    editor->clear();
    Edit_nomefile->setFocus();
}

void TAggNoteForm::SaveNote() {
    const QString path = TitlePath();
    if (QFileInfo::exists(path) && !AskOverwrite())
        return;
    WriteText(path);
    MainForm->NoteListUpdate();
    editor->clear();
    Edit_nomefile->clear();
}

void TAggNoteForm::SpeedButtonAddCloseClick() {
    // A refused overwrite still closes; a note that could not be written keeps the dialog open.
    if (Guarded([this] { SaveNote(); }))
        accept();
}

bool TAggNoteForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && target == Edit_nomefile) {
        SpeedButtonAddClose->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- modify note ----

TModNoteForm::TModNoteForm(QWidget* owner)
    : TNoteFormBase(owner, QStringLiteral("ModNoteForm"), QStringLiteral("-> Modify Note"),
                    QStringLiteral("Suggerimento")) {
    m_openFilter = QStringLiteral("Text files (*.txt)|*.txt");
    SpeedButtonMod =
        MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButtonMod"), QStringLiteral("Modify"),
                        QStringLiteral("Modify"), QStyle::SP_DialogApplyButton);
    SpeedButton1 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton1"), QStringLiteral("Print"),
                                   QStringLiteral("Print"), QStyle::SP_ComputerIcon);
    AddButtons({SpeedButtonMod, SpeedButton5, SpeedButton4, SpeedButton3, SpeedButton1});
    connect(SpeedButtonMod, &QToolButton::clicked, this, [this] { SpeedButtonModClick(); });
    ConnectGuarded(SpeedButton1, &QToolButton::clicked, this, [this] { PrintWidget(this); });
}

void TModNoteForm::FormShow() {
    CopyEditorLook();
    const QString fileName = MainForm->NoteListFileName();
    Edit_nomefile->setText(QFileInfo(fileName).fileName());
    Guarded([&] {
        const NoteText note = ReadNoteFile(fileName, m_encoding);
        m_encoding = note.used;
        editor->setPlainText(note.text);
    });
    editor->setFocus();
}

bool TModNoteForm::SaveChanges() {
    const QString oldPath = MainForm->NoteListFileName();
    const QString path = TitlePath();
    // Renaming onto another note asks first, as a new note does; No leaves both notes as they are.
    if (path != oldPath && QFileInfo::exists(path) && !AskOverwrite())
        return false;
    // The new file is written before the old one goes, so that a failed write loses nothing.
    WriteText(path);
    if (path != oldPath && !oldPath.isEmpty())
        QFile::remove(oldPath);
    MainForm->NoteListUpdate();
    editor->clear();
    Edit_nomefile->clear();
    return true;
}

void TModNoteForm::SpeedButtonModClick() {
    // A refused rename keeps the dialog open with the text, so that another title can be given.
    bool saved = false;
    if (Guarded([&] { saved = SaveChanges(); }) && saved)
        accept();
}

bool TModNoteForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && target == Edit_nomefile) {
        SpeedButtonMod->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

// ---- openers on the Notes tab ----

// Both dialogs read the list again when they save, which takes the editor's text: a changed note is
// offered for saving before they open.
void TMainForm::SpeedButtonAggNoteClick() {
    AskToSaveChangedNote();
    const auto dialog = std::make_unique<TAggNoteForm>(this);
    RunModal(*dialog);
}

void TMainForm::SpeedButtonmodNoteClick() {
    if (!IsTextFile(NoteListFileName())) {
        SpeedButtonLanciaClick();
        return;
    }
    AskToSaveChangedNote();
    const auto dialog = std::make_unique<TModNoteForm>(this);
    RunModal(*dialog);
}

} // namespace qm
