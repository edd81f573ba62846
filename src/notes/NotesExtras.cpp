#include "app/MainForm.h"
#include "notes/NotePrint.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolButton>

namespace qm {

namespace {

// Copies a file whole, replacing the target atomically. Copying a file onto itself is left alone.
bool CopyReplacing(const QString& from, const QString& to, QString* error) {
    if (QFileInfo(from).canonicalFilePath() == QFileInfo(to).canonicalFilePath() && QFileInfo(from).isFile())
        return true;
    return CopyFileAtomically(from, to, error);
}

// The lines the editor shows: each wrapped piece is a line of its own while lines wrap.
QStringList DisplayLines(const QPlainTextEdit* editor) {
    QStringList lines;
    const bool wrap = editor->lineWrapMode() != QPlainTextEdit::NoWrap;
    for (QTextBlock block = editor->document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        const QTextLayout* layout = block.layout();
        if (!wrap || !layout || layout->lineCount() <= 1) {
            lines << text;
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << text.mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

// The commands and words that a double click must never launch.
bool IsGuardedWord(const QString& text) {
    static const char* const words[] = {"format", "deltree", "delete", "del",    "copy", "move",
                                        "xcopy",  "make",    "dir",    "attrib", "fdisk"};
    for (const char* word : words)
        if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Runs the active note after the editor has handled a double click (and so selected the word).
class EditorDoubleClicks : public QObject {
public:
    explicit EditorDoubleClicks(TMainForm* form) : QObject(form), m_form(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick)
            QMetaObject::invokeMethod(
                m_form, [form = m_form] { Guarded([form] { form->SpeedButtonExeguiSelezioneClick(); }); },
                Qt::QueuedConnection);
        return false;
    }

private:
    TMainForm* m_form;
};

// Keeps the list's width from before each step of a splitter drag.
class SplitterSteps : public QObject {
public:
    explicit SplitterSteps(TMainForm* form) : QObject(form), m_form(form) {}
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove &&
            (static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton))
            m_form->SplitterNoteCanResize();
        return false;
    }

private:
    TMainForm* m_form;
};

} // namespace

void OpenWithDesktop(const QString& target) {
    if (!target.isEmpty() && !ShellOpen(target))
        ShowMessage(QStringLiteral("I can't open \"") + target +
                    QStringLiteral("\": no program of this desktop opens it."));
}

void TMainForm::SpeedButton7Click() {
    OpenWithDesktop(NoteListDirectory);
}

void TMainForm::SpeedButton10Click() {
    ShowMessage(QStringLiteral("In this section you can save same notes."));
}

void TMainForm::SpeedButtonImportTextClick() {
    OpenDialogSound.InitialDir = UserComp1.Desktop;
    OpenDialogSound.FileName.clear();
    OpenDialogSound.Filter =
        QStringLiteral("Ascii Files (*.txt,*.htm,*.html)|*.txt;*.htm;*.html|All files (*.*)|*.*");
    if (!OpenDialogSound.Execute(this))
        return;
    const QString chosen = OpenDialogSound.FileName;
    if (SpeedButtonUpdate->isEnabled())
        FileListBoxNoteClick();
    QString error;
    if (!CopyReplacing(chosen, JoinPath(NoteListDirectory, QFileInfo(chosen).fileName()), &error))
        ShowMessage(QStringLiteral("Importing error!\r") + error);
    NoteListUpdate();
}

void TMainForm::SpeedButtonPrintNoteClick() {
    QFont font = Editor->font();
    PrintNoteLines(DisplayLines(Editor), font, Editor->palette().color(QPalette::Text), this);
}

void TMainForm::SpeedButtonOpenClick() {
    QList<int> sizes = SplitterNote->sizes();
    if (sizes.size() < 2)
        return;
    const int total = sizes[0] + sizes[1];
    if (Panel_ListaNote_Size->width() > 0 && sizes[0] > 0) {
        SplitterNote->setSizes({0, total});
        SpeedButtonOpen->setChecked(true);
    } else {
        SplitterNote->setSizes({NoteListWidth, std::max(0, total - NoteListWidth)});
        SpeedButtonOpen->setChecked(false);
    }
}

void TMainForm::SplitterNoteCanResize() {
    NoteListWidth = SplitterNote->sizes().value(0);
}

void TMainForm::SpeedButtonExeguiSelezioneClick() {
    const QString sel = Editor->textCursor().selectedText();
    if (IsGuardedWord(sel))
        return;
    const QString target = sel.left(50).contains(QLatin1Char('@')) ? QStringLiteral("mailto:") + sel : sel;
    if (!SpeedButtonExeguiSelezione->isChecked() && !sel.isEmpty())
        ShellOpen(target);
}

void TMainForm::ConnectNotesExtras() {
    ConnectGuarded(ComboBox_Fonts, &QComboBox::textActivated, this, [this] { ComboBox_FontsChange(); });
    ConnectGuarded(SpinEdit_Size, &QSpinBox::valueChanged, this, [this] { SpinEdit_SizeChange(); });
    ConnectGuarded(Panel_Font_Color, &TPanel::MouseDown, this, [this] { Panel_Font_ColorClick(); });
    ConnectGuarded(Panel_Editor_Color, &TPanel::MouseDown, this, [this] { Panel_Editor_ColorClick(); });
    ConnectGuarded(SpeedButton_Aggiorna_Editor_Setup, &QToolButton::clicked, this,
                   [this] { SpeedButton_Aggiorna_Editor_SetupClick(); });
    ConnectGuarded(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });
    ConnectGuarded(SpeedButton7, &QToolButton::clicked, this, [this] { SpeedButton7Click(); });
    ConnectGuarded(SpeedButton10, &QToolButton::clicked, this, [this] { SpeedButton10Click(); });
    ConnectGuarded(SpeedButtonPrintNote, &QToolButton::clicked, this,
                   [this] { SpeedButtonPrintNoteClick(); });
    ConnectGuarded(SpeedButtonImportText, &QToolButton::clicked, this,
                   [this] { SpeedButtonImportTextClick(); });
    ConnectGuarded(SpeedButtonOpen, &QToolButton::clicked, this, [this] { SpeedButtonOpenClick(); });
    ConnectGuarded(SpeedButtonExeguiSelezione, &QToolButton::clicked, this,
                   [this] { SpeedButtonExeguiSelezioneClick(); });
    Editor->viewport()->installEventFilter(new EditorDoubleClicks(this));
    SplitterNote->handle(1)->installEventFilter(new SplitterSteps(this));
}

} // namespace qm
