#include "dialogs/TeleForm.h"

#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace qm {

TTeleForm::TTeleForm(QWidget* owner)
    : TDialogFrame(owner,
                   {QStringLiteral("Panel_Border"), QStringLiteral("Panel_Bottom"), QStringLiteral("Panel3")},
                   false) {
    setObjectName(QStringLiteral("TeleForm"));
    setWindowTitle(QStringLiteral("Telephone"));
    Panel_Border = OuterPanel();
    Panel_Bottom = BottomPanel();
    Panel3 = InnerPanel();

    DialerContact.setObjectName(QStringLiteral("DialerContact"));
    DialerContact.ComPort = dpCOM2;
    DialerContact.Confirm = false;
    DialerContact.Language = dlEnglish;
    DialerContact.DialCommand = QStringLiteral("ATDT");
    DialerContact.Mode = mDirect;

    auto* grid = new QGridLayout(Panel3);
    grid->setContentsMargins(8, 8, 8, 8);
    LabelContact = MakeLabel(Panel3, QStringLiteral("LabelContact"), QString());
    QFont bold = LabelContact->font();
    bold.setBold(true);
    LabelContact->setFont(bold);
    ComboBox_telefoni = new QComboBox(Panel3);
    ComboBox_telefoni->setObjectName(QStringLiteral("ComboBox_telefoni"));
    ComboBox_telefoni->setEditable(true);
    ComboBox_telefoni->setInsertPolicy(QComboBox::InsertAlphabetically);
    ComboBox_telefoni->lineEdit()->setMaxLength(30);
    ComboBox_telefoni->setMaxVisibleItems(9);
    ComboBox_telefoni->setMinimumWidth(200);
    ComboBoxCOM = MakeComboList(
        Panel3, QStringLiteral("ComboBoxCOM"), QString(),
        {QStringLiteral("COM1"), QStringLiteral("COM2"), QStringLiteral("COM3"), QStringLiteral("COM4")});
    Label_result = MakeLabel(Panel3, QStringLiteral("Label_result"), QString());
    MemoCOM = new QPlainTextEdit(Panel3);
    MemoCOM->setObjectName(QStringLiteral("MemoCOM"));
    MemoCOM->hide();

    grid->addWidget(MakeLabel(Panel3, QStringLiteral("Label1"), QStringLiteral("Contact")), 0, 0);
    grid->addWidget(LabelContact, 0, 1);
    grid->addWidget(MakeLabel(Panel3, QStringLiteral("Label2"), QStringLiteral("Number")), 1, 0);
    grid->addWidget(ComboBox_telefoni, 1, 1);
    grid->addWidget(MakeLabel(Panel3, QStringLiteral("Label3"), QStringLiteral("Modem port")), 2, 0);
    grid->addWidget(ComboBoxCOM, 2, 1);
    grid->addWidget(MakeLabel(Panel3, QStringLiteral("Label4"), QStringLiteral("Result")), 3, 0);
    grid->addWidget(Label_result, 3, 1);

    SpeedButtonDialTelephony = MakeSpeedButton(Panel_Bottom, QStringLiteral("SpeedButtonDialTelephony"),
                                               QStringLiteral("Dial using Windows telephony"),
                                               QStringLiteral("Dial using Windows telephony"));
    SpeedButtonDial = MakeSpeedButton(Panel_Bottom, QStringLiteral("SpeedButtonDial"), QStringLiteral("Dial"),
                                      QStringLiteral("Dial"), QStyle::SP_DialogApplyButton);
    SpeedButtonClose =
        MakeSpeedButton(Panel_Bottom, QStringLiteral("SpeedButtonClose"), QStringLiteral("Close"),
                        QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    ButtonLayout()->addWidget(SpeedButtonDialTelephony);
    ButtonLayout()->addWidget(SpeedButtonDial);
    ButtonLayout()->addWidget(SpeedButtonClose);

    // Every button is a tab stop, worked with Space.
    for (QToolButton* button : {SpeedButtonDialTelephony, SpeedButtonDial, SpeedButtonClose})
        button->setFocusPolicy(Qt::TabFocus);
    ColourOnFocus(ComboBoxCOM);
    ColourOnFocus(ComboBox_telefoni);

    ConnectGuarded(SpeedButtonDial, &QToolButton::clicked, this, &TTeleForm::SpeedButtonDialClick);
    ConnectGuarded(SpeedButtonDialTelephony, &QToolButton::clicked, this,
                   &TTeleForm::SpeedButtonDialTelephonyClick);
    ConnectGuarded(SpeedButtonClose, &QToolButton::clicked, this, &TTeleForm::SpeedButtonCloseClick);
    ConnectGuarded(ComboBoxCOM, &QComboBox::activated, this, &TTeleForm::ComboBoxCOMChange);
    ConnectGuarded(ComboBox_telefoni, &QComboBox::editTextChanged, this, &TTeleForm::ComboBox_telefoniChange);
}

QString TTeleForm::ModemFile() {
    return JoinPath(MainForm ? MainForm->DefaultArchiveFolder : QString(), QStringLiteral("Modem.txt"));
}

QString TTeleForm::CleanNumber(const QString& text) {
    QString number = text.left(100);
    for (QChar& c : number)
        if (c < u'0' || c > u'9')
            c = u' ';
    return number.trimmed();
}

namespace {

// The file holds the bare number, with no line break.
bool WriteModemFile(const QString& text) {
    QString error;
    if (WriteFileAtomically(TTeleForm::ModemFile(), text.toLatin1(), &error))
        return true;
    MessageBox(error, QStringLiteral("Quellmire Organizer"), Mb::Ok | Mb::IconError);
    return false;
}

} // namespace

void TTeleForm::FormShow() {
    if (MainForm)
        SetSectionColor(MainForm->SectionColors.ContactColor);
    ComboBox_telefoni->clear();
    ComboBox_telefoni->setEditText(QString());
    Label_result->clear();

    LabelContact->clear();
    TQuery* contacts = MainForm ? MainForm->QueryContact : nullptr;
    if (contacts && contacts->Active() && contacts->RecordCount() > 0) {
        LabelContact->setText(contacts->FieldByName(QStringLiteral("ragsoc")).AsString());
        for (const char* field : {"tel", "mobile"}) {
            const QString text = contacts->FieldByName(QString::fromLatin1(field)).AsString();
            if (!text.isEmpty())
                ComboBox_telefoni->addItem(CleanNumber(text));
        }
        ComboBox_telefoni->model()->sort(0);
    }

    // A text that is no port number leaves COM2, as a missing file does; the file is rewritten
    // only when the user picks a port.
    int index = 1;
    if (!QFile::exists(ModemFile())) {
        MemoCOM->setPlainText(QStringLiteral("1"));
        WriteModemFile(MemoCOM->toPlainText());
    } else {
        MemoCOM->setPlainText(LoadSettingLines(ModemFile()).join(QString()));
        bool ok = false;
        const int stored = MemoCOM->toPlainText().trimmed().toInt(&ok);
        if (ok && stored >= 0 && stored <= 3)
            index = stored;
    }
    ComboBoxCOM->setCurrentIndex(index);
    DialerContact.ComPort = TComPort(index);

    ComboBox_telefoni->setCurrentIndex(ComboBox_telefoni->count() > 0 ? 0 : -1);
    ComboBox_telefoniChange();
    ComboBox_telefoni->setFocus();
}

void TTeleForm::SpeedButtonDialClick() {
    DialerContact.NumberToDial = ComboBox_telefoni->currentText();
    Label_result->setText(DialerContact.Dial());
}

// The desktop's answer is not shown: its telephony program reports for itself.
void TTeleForm::SpeedButtonDialTelephonyClick() {
    const QString number = ComboBox_telefoni->currentText().trimmed();
    if (!number.isEmpty())
        ShellOpen(TelAddress(number));
}

void TTeleForm::ComboBoxCOMChange() {
    const int index = ComboBoxCOM->currentIndex();
    if (index < 0 || index > 3)
        return;
    DialerContact.ComPort = TComPort(index);
    MemoCOM->setPlainText(QString::number(index));
    WriteModemFile(MemoCOM->toPlainText());
}

void TTeleForm::ComboBox_telefoniChange() {
    const bool any = !ComboBox_telefoni->currentText().isEmpty();
    SpeedButtonDial->setEnabled(any);
    SpeedButtonDialTelephony->setEnabled(any);
}

void TTeleForm::SpeedButtonCloseClick() {
    reject();
}

bool TTeleForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            SpeedButtonDial->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

void ShowTeleForm(QWidget* owner) {
    TTeleForm dialog(owner);
    RunModal(dialog);
}

} // namespace qm
