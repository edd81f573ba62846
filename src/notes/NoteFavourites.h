#pragma once

#include "dialogs/DialogFrame.h"

#include <QStringList>

class QListWidget;
class QToolButton;

namespace qm {

class TPanel;

// The favourite note folders: a list kept in PreDir.txt of the user's own archive folder, from
// which the notes list can be pointed at another folder.
class TFoldersForm : public TDialogFrame {
    Q_OBJECT
public:
    explicit TFoldersForm(QWidget* owner);

    QListWidget* ListBoxFolders = nullptr;
    TPanel* Panel_FolderName = nullptr;
    TPanel* Panel_TotFolders = nullptr;
    TPanel* Panel_Colored = nullptr;
    TPanel* Panel_Border = nullptr;
    QToolButton* SpeedButtonAddFolder = nullptr; // "Insert"
    QToolButton* SpeedButtonDelFolder = nullptr; // "Remove"
    QToolButton* SpeedButtonOpen = nullptr;      // "Open"
    QToolButton* SpeedButtonUse = nullptr;       // "Use"
    QToolButton* SpeedButton3 = nullptr;         // "Close"
    // The lines the file is read from and written with, in the list's order.
    QStringList MemoFolders;

    void ListBoxFoldersClick();
    void ListBoxFoldersDblClick();
    void SpeedButtonAddFolderClick();
    void SpeedButtonDelFolderClick();
    void SpeedButtonOpenClick();
    void SpeedButtonUseClick();
    void SpeedButton3Click();

    // The part of a path after its last separator; the whole path when that is empty (a root).
    static QString LastFolderName(const QString& path);

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;

private:
    QString ListFile() const;
    QString SelectedPath() const;
    void FillList(QStringList entries);
    void WriteList();
    void SelectFirst();
    void ShowCount();
};

} // namespace qm
