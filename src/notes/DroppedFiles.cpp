#include "app/MainForm.h"
#include "notes/NoteFiles.h"
#include "platform/Application.h"
#include "platform/ColorText.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/SafeFile.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>

namespace qm {

namespace {

// Only the last local file of a drop is taken; "" when it holds none.
QString LastLocalFile(const QMimeData* data) {
    QString path;
    if (data)
        for (const QUrl& url : data->urls())
            if (url.isLocalFile())
                path = url.toLocalFile();
    return path;
}

// Files dragged over any control of the window go to the window's own drop handler: a control that
// takes drops of text, such as the notes editor, would otherwise insert the file's address.
class DropRouter : public QObject {
public:
    explicit DropRouter(TMainForm* form) : QObject(form), m_form(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
            return false;
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget == m_form || widget->window() != m_form)
            return false;
        auto* drop = static_cast<QDropEvent*>(event);
        const QString path = LastLocalFile(drop->mimeData());
        if (path.isEmpty())
            return false;
        drop->acceptProposedAction();
        if (type == QEvent::Drop)
            Guarded([&] { m_form->HandleDroppedFile(path); });
        return true;
    }

private:
    TMainForm* m_form;
};

} // namespace

void TMainForm::ConnectDroppedFiles() {
    qApp->installEventFilter(new DropRouter(this));
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QString path = LastLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    Guarded([&] { HandleDroppedFile(path); });
}

void TMainForm::HandleDroppedFile(const QString& path) {
    const QFileInfo info(path);
    // A FIFO, device or socket is refused at once: neither this window nor a program it starts may
    // wait on it.
    if (info.exists() && !info.isDir() && !info.isFile()) {
        QString error;
        OpenRegularFileAt(QString(), path, LinkRule::FollowOwn, &error);
        MessageBox(error, MsgCaption, MsgOk + MsgExclamation);
        return;
    }
    const QString ext = info.suffix().toUpper();
    if (!info.suffix().isEmpty() && ext == QLatin1String("CLR")) {
        PageControlMenu->setCurrentWidget(TabSheetSetup);
        ApplySectionColor();
        LoadColorSetFile(path);
        CheckBox_Autostart->setFocus();
        return;
    }
    if (ext == QLatin1String("WAV")) {
        SpeedButtonTOPClick();
        PageControlMenu->setCurrentWidget(TabSheetSetup);
        ApplySectionColor();
        PlaySound(path);
        if (MessageBox(QStringLiteral("Do you want set \"") + info.fileName() +
                           QStringLiteral("\" as default alarm sound?"),
                       MsgCaption, MsgYesNo + MsgQuestion) == MsgYes) {
            AlarmSoundFile = path;
            SaveOptionSettings();
            LoadSettings();
            Label_SoundName->setText(info.fileName());
            QPalette palette = Label_SoundName->palette();
            palette.setColor(QPalette::WindowText, ToQColor(Colors::clWindowText));
            Label_SoundName->setPalette(palette);
        }
        return;
    }
    if (IsTextFile(path)) {
        // Refused before the list and the editor change: the note could not be read.
        if (info.size() > kDocumentLimit) {
            MessageBox(TooLargeText(path, kDocumentLimit), MsgCaption, MsgOk + MsgExclamation);
            return;
        }
        PageControlMenu->setCurrentWidget(TabSheetNotes);
        ApplySectionColor();
        if (SpeedButtonUpdate->isEnabled() &&
            MessageBox(QStringLiteral("Do you thing that's a good idea to save the changes at \"") +
                           QFileInfo(CurrentNoteFile).fileName() + QStringLiteral("\" ?"),
                       MsgCaption, MsgYesNo + MsgQuestion) == MsgYes) {
            SaveEditorToFile(CurrentNoteFile);
            SpeedButtonUpdate->setEnabled(false);
        }
        NoteListShowPath(info.absoluteFilePath());
        NotesFolderCaption =
            QStringLiteral(" FOLDER: ") + QDir(NoteListDirectory).dirName() + QStringLiteral(" - FILE: ");
        LoadEditorFromFile(info.absoluteFilePath());
        CurrentNoteFile = NoteListFileName();
        Panel_nomeCompleto->SetCaption(NotesFolderCaption + QFileInfo(CurrentNoteFile).fileName());
        SpeedButtonUpdate->setEnabled(false);
        SpeedButtonRestoreNote->setEnabled(false);
        return;
    }
    OpenWithDesktop(path);
}

} // namespace qm
