#include "app/MainForm.h"
#include "notes/NoteFiles.h"
#include "platform/Application.h"
#include "platform/ColorText.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"

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

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    // Only the last local file of a drop is taken.
    QString path;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            path = url.toLocalFile();
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    Guarded([&] { HandleDroppedFile(path); });
}

void TMainForm::HandleDroppedFile(const QString& path) {
    const QFileInfo info(path);
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
    ShellOpen(path);
}

} // namespace qm
