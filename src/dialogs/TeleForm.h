#pragma once

#include "desktop/Dialer.h"
#include "dialogs/DialogFrame.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QToolButton;

namespace qm {

class TPanel;

// The telephone dialog of the Contacts tab: the current contact's telephone and mobile numbers,
// the modem port (kept in "Modem.txt" of the default archive folder), a modem dial and a dial
// through the desktop's telephony program.
class TTeleForm : public TDialogFrame {
    Q_OBJECT
public:
    explicit TTeleForm(QWidget* owner);

    TPanel* Panel_Border = nullptr;
    TPanel* Panel_Bottom = nullptr;
    TPanel* Panel3 = nullptr;
    QLabel* LabelContact = nullptr;
    QComboBox* ComboBox_telefoni = nullptr;
    QComboBox* ComboBoxCOM = nullptr;
    QLabel* Label_result = nullptr;
    QPlainTextEdit* MemoCOM = nullptr; // hidden: the text of "Modem.txt"
    QToolButton* SpeedButtonDial = nullptr;
    QToolButton* SpeedButtonClose = nullptr;
    QToolButton* SpeedButtonDialTelephony = nullptr;
    TDialer DialerContact;

    // The file that remembers the port.
    static QString ModemFile();
    // A number as offered: its first 100 characters, every character but a digit made a blank,
    // blanks trimmed at both ends.
    static QString CleanNumber(const QString& text);

    void SpeedButtonDialClick();
    void SpeedButtonDialTelephonyClick();
    void ComboBoxCOMChange();
    void ComboBox_telefoniChange();
    void SpeedButtonCloseClick();

protected:
    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;
};

// Opens the telephone dialog for the current row of the Contacts tab, modally, and frees it.
void ShowTeleForm(QWidget* owner);

} // namespace qm
