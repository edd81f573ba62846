#pragma once

#include "desktop/BrowseForFolder.h"
#include "dialogs/DialogFrame.h"
#include "platform/Dialogs.h"

#include <QString>

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QToolButton;

namespace qm {

class TPanel;
class TQuery;

// What the add and modify contact dialogs share: eleven one-line fields, the group list copied
// from the main window, and the attachment field with its four buttons.
class TContactFormBase : public TDialogFrame {
    Q_OBJECT
public:
    TPanel* Panel_colored = nullptr;
    QLineEdit* Edit_ragsoc = nullptr;
    QLineEdit* Edit_Company = nullptr;
    QLineEdit* Edit_tel = nullptr;
    QLineEdit* Edit_Mobile = nullptr;
    QLineEdit* Edit_Fax = nullptr;
    QLineEdit* Edit_email = nullptr;
    QLineEdit* Edit_Site = nullptr;
    QLineEdit* EDIT_indirizzo = nullptr;
    QLineEdit* EDIT_note = nullptr;
    QComboBox* ComboBox_Contact_Group = nullptr;
    QLineEdit* Edit_Allegato = nullptr;
    QToolButton* SpeedButtonAllegaFile = nullptr;
    QToolButton* SpeedButtonAllegaCartella = nullptr;
    QToolButton* SpeedButtonClearAllegato = nullptr;
    QToolButton* SpeedButtonAiutoAllegato = nullptr;
    QToolButton* SpeedButtonClose = nullptr;

    TOpenDialog OpenDialogFile;
    TBrowseForFolder BrowseForFolder{QStringLiteral("Attach folder")};

    void Edit_AllegatoChange();
    void SpeedButtonAllegaFileClick();
    void SpeedButtonAllegaCartellaClick();
    void SpeedButtonClearAllegatoClick();
    void SpeedButtonAiutoAllegatoClick();
    void Edit_AllegatoDblClick();

protected:
    TContactFormBase(QWidget* owner, const QString& name, const QString& caption);
    void AddCloseButton();
    // Colours the panels and copies the main window's group list.
    void PrepareShow();
    // An empty name becomes "Mr. X", visibly; then the eleven columns are bound.
    void BindFields(TQuery* query);
    bool IsEnter(const QKeyEvent* event) const;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TAggConForm : public TContactFormBase {
    Q_OBJECT
public:
    explicit TAggConForm(QWidget* owner);

    QToolButton* SpeedButtonInsert = nullptr;      // "Insert"
    QToolButton* SpeedButtonInsertClose = nullptr; // "Insert and close"

    void SaveContact();
    void ClearFields();
    void SpeedButtonInsertClick();
    void SpeedButtonInsertCloseClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
};

class TModConForm : public TContactFormBase {
    Q_OBJECT
public:
    explicit TModConForm(QWidget* owner);

    QToolButton* SpeedButtonMod = nullptr;   // "Modify"
    QToolButton* SpeedButtonPrint = nullptr; // "Print"

    void LoadFromQuery();
    void SaveChanges();
    void SpeedButtonModClick();
    void SpeedButtonPrintClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;

private:
    QString m_key; // the edited row's codcon, read when the dialog loads
};

} // namespace qm
