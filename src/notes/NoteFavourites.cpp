#include "notes/NoteFavourites.h"

#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "desktop/CoolTrayIcon.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/ProgramFolder.h"
#include "platform/TextLines.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

namespace qm {

namespace {

const QString kNotesCaption = QStringLiteral(" FOLDER: Notes - FILE: ");

void SetCaptionColor(TPanel* panel, const QColor& color) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::WindowText, color);
    panel->setPalette(palette);
}

} // namespace

TFoldersForm::TFoldersForm(QWidget* owner)
    : TDialogFrame(owner, {QStringLiteral("Panel_Border"), QStringLiteral("Panel_Colored"),
                           QStringLiteral("Panel2")}) {
    setObjectName(QStringLiteral("FoldersForm"));
    setWindowTitle(QStringLiteral("-> Favourite Folders"));
    Panel_Border = OuterPanel();
    Panel_Colored = BottomPanel();
    resize(420, 300);
    QWidget* p = InnerPanel();
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 6, 8, 6);

    Panel_FolderName = new TPanel(p, QStringLiteral("Panel_FolderName"));
    Panel_FolderName->setFixedHeight(22);
    layout->addWidget(Panel_FolderName);
    ListBoxFolders = new QListWidget(p);
    ListBoxFolders->setObjectName(QStringLiteral("ListBoxFolders"));
    layout->addWidget(ListBoxFolders, 1);

    Panel_TotFolders = new TPanel(p, QStringLiteral("Panel_TotFolders"));
    Panel_TotFolders->SetAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel_TotFolders->SetCaption(QStringLiteral("0   "));
    Panel_TotFolders->setFixedHeight(26);
    auto* countBar = new QHBoxLayout(Panel_TotFolders);
    countBar->setContentsMargins(2, 1, 2, 1);
    SpeedButtonAddFolder =
        MakeSpeedButton(Panel_TotFolders, QStringLiteral("SpeedButtonAddFolder"), QString(),
                        QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
    SpeedButtonDelFolder = MakeSpeedButton(Panel_TotFolders, QStringLiteral("SpeedButtonDelFolder"),
                                           QString(), QStringLiteral("Remove"), QStyle::SP_TrashIcon);
    SpeedButtonOpen = MakeSpeedButton(Panel_TotFolders, QStringLiteral("SpeedButtonOpen"), QString(),
                                      QStringLiteral("Open"), QStyle::SP_DirOpenIcon);
    countBar->addWidget(SpeedButtonAddFolder);
    countBar->addWidget(SpeedButtonDelFolder);
    countBar->addWidget(SpeedButtonOpen);
    countBar->addStretch(1);
    layout->addWidget(Panel_TotFolders);

    SpeedButtonUse = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButtonUse"), QStringLiteral("Use"),
                                     QStringLiteral("Use"), QStyle::SP_DialogApplyButton);
    SpeedButton3 = MakeSpeedButton(Panel_Colored, QStringLiteral("SpeedButton3"), QStringLiteral("Close"),
                                   QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    ButtonLayout()->addWidget(SpeedButtonUse);
    ButtonLayout()->addWidget(SpeedButton3);

    ConnectGuarded(ListBoxFolders, &QListWidget::itemClicked, this, [this] { ListBoxFoldersClick(); });
    ConnectGuarded(ListBoxFolders, &QListWidget::itemDoubleClicked, this,
                   [this] { ListBoxFoldersDblClick(); });
    ConnectGuarded(SpeedButtonAddFolder, &QToolButton::clicked, this,
                   [this] { SpeedButtonAddFolderClick(); });
    ConnectGuarded(SpeedButtonDelFolder, &QToolButton::clicked, this,
                   [this] { SpeedButtonDelFolderClick(); });
    ConnectGuarded(SpeedButtonOpen, &QToolButton::clicked, this, [this] { SpeedButtonOpenClick(); });
    ConnectGuarded(SpeedButtonUse, &QToolButton::clicked, this, [this] { SpeedButtonUseClick(); });
    ConnectGuarded(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
}

QString TFoldersForm::LastFolderName(const QString& path) {
    const QString last = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    return last.isEmpty() ? path : last;
}

QString TFoldersForm::ListFile() const {
    return JoinPath(MainForm->DefaultArchiveFolder, QStringLiteral("PreDir.txt"));
}

QString TFoldersForm::SelectedPath() const {
    const QListWidgetItem* item = ListBoxFolders->currentItem();
    return item ? item->text() : QString();
}

void TFoldersForm::FillList(QStringList entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    MemoFolders = entries;
    ListBoxFolders->clear();
    ListBoxFolders->addItems(entries);
}

void TFoldersForm::WriteList() {
    QString error;
    if (!SaveTextLines(ListFile(), MemoFolders, &error))
        MessageBox(QStringLiteral("The favourite folders could not be saved: ") + error, MainForm->MsgCaption,
                   MainForm->MsgOk + MainForm->MsgExclamation);
}

void TFoldersForm::SelectFirst() {
    ListBoxFolders->setCurrentRow(0);
    ListBoxFoldersClick();
}

void TFoldersForm::ShowCount() {
    Panel_TotFolders->SetCaption(QString::number(ListBoxFolders->count()) + QStringLiteral("   "));
}

void TFoldersForm::FormShow() {
    Panel_FolderName->SetCaption(QString());
    SetSectionColor(MainForm->SectionColors.NotesColor);
    QStringList entries;
    if (QFileInfo::exists(ListFile()))
        entries = LoadSettingLines(ListFile());
    FillList(entries);
    if (ListBoxFolders->count() == 0) {
        SpeedButtonUse->setEnabled(false);
        SpeedButtonDelFolder->setEnabled(false);
        SpeedButtonOpen->setEnabled(false);
    } else {
        SelectFirst();
    }
    ShowCount();
}

void TFoldersForm::ListBoxFoldersClick() {
    const QString path = SelectedPath();
    if (!QFileInfo(path).isDir()) {
        Panel_FolderName->SetCaption(QStringLiteral("Folder not found!"));
        SetCaptionColor(Panel_FolderName, QColor(255, 0, 0));
        SpeedButtonUse->setEnabled(false);
        SpeedButtonOpen->setEnabled(false);
        return;
    }
    Panel_FolderName->SetCaption(LastFolderName(path));
    SetCaptionColor(Panel_FolderName, palette().color(QPalette::WindowText));
    SpeedButtonUse->setEnabled(true);
    SpeedButtonOpen->setEnabled(true);
    SpeedButtonDelFolder->setEnabled(true);
}

void TFoldersForm::ListBoxFoldersDblClick() {
    if (SpeedButtonUse->isEnabled())
        SpeedButtonUseClick();
}

void TFoldersForm::SpeedButtonAddFolderClick() {
    TCoolTrayIcon* tray = MainForm->CoolTrayIcon;
    tray->SetIconVisible(false);
    TBrowseForFolder& browser = MainForm->BrowseForFolderBack;
    QString start = ProgramFolder();
    if (!start.endsWith(QLatin1Char('/')))
        start += QLatin1Char('/');
    browser.FolderName = start;
    if (browser.Execute(this)) {
        QStringList entries = MemoFolders;
        entries << browser.FolderName;
        FillList(entries);
        WriteList();
        SelectFirst();
        ShowCount();
    }
    raise();
    activateWindow();
    tray->SetIconVisible(true);
}

void TFoldersForm::SpeedButtonDelFolderClick() {
    const int row = ListBoxFolders->currentRow();
    if (row < 0)
        return;
    if (MessageBox(QStringLiteral(" Remove the folder: \"") + LastFolderName(SelectedPath()) +
                       QStringLiteral("\"?"),
                   MainForm->MsgCaption, MainForm->MsgYesNo + MainForm->MsgQuestion) == MainForm->MsgYes) {
        MemoFolders.removeAt(row);
        delete ListBoxFolders->takeItem(row);
        WriteList();
        if (ListBoxFolders->count() == 0) {
            SpeedButtonOpen->setEnabled(false);
            SpeedButtonDelFolder->setEnabled(false);
            SpeedButtonUse->setEnabled(false);
            Panel_FolderName->SetCaption(QString());
        } else {
            SelectFirst();
        }
        ShowCount();
    }
    // The list is read back, so that it shows what the file now holds.
    FormShow();
}

void TFoldersForm::SpeedButtonOpenClick() {
    OpenWithDesktop(SelectedPath());
}

void TFoldersForm::SpeedButtonUseClick() {
    MainForm->AskToSaveChangedNote();
    MainForm->NotesFolderCaption =
        QStringLiteral(" FOLDER: ") + Panel_FolderName->Caption() + QStringLiteral(" - FILE: ");
    MainForm->NoteListShowPath(SelectedPath());
    accept();
}

void TFoldersForm::SpeedButton3Click() {
    if (ListBoxFolders->count() == 0) {
        MainForm->AskToSaveChangedNote();
        MainForm->NotesFolderCaption = kNotesCaption;
        MainForm->NoteListShowPath(MainForm->NotesFolder);
    }
    reject();
}

bool TFoldersForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        if (SpeedButtonUse->isEnabled())
            SpeedButtonUseClick();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

void TMainForm::SpeedButton2Click() {
    const auto dialog = std::make_unique<TFoldersForm>(this);
    RunModal(*dialog);
}

} // namespace qm
