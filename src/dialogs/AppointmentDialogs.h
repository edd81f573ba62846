#pragma once

#include "dialogs/DialogFrame.h"

#include <QDate>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace qm {

class TMaskEdit;
class TPanel;
class TQuery;

enum class TAppointmentKind { Monthly, Weekly, Yearly, OneShot };
enum class TDialogMode { Add, Modify };

// The add and modify dialogs of the four appointment kinds: one form, told by kind and mode
// which date it keeps, which columns it writes and which view it refreshes. The eight dialog
// classes below only choose the kind and the mode.
//
// Members keep the historical control names where they do not clash; the "No time" and
// "Print" buttons carry different historical names from dialog to dialog (their object names),
// so they are reached by role here.
class TAppointmentForm : public TDialogFrame {
    Q_OBJECT
public:
    TAppointmentKind Kind() const { return m_kind; }
    TDialogMode Mode() const { return m_mode; }

    TPanel* Panel_colored = nullptr; // the bottom panel ("Panel_Colored" in the weekly modify dialog)
    QLineEdit* Edit_id = nullptr;
    QPlainTextEdit* Memo = nullptr;
    TMaskEdit* MaskEdit_Hour = nullptr;
    TMaskEdit* MaskEdit_hour2 = nullptr;
    // Label_DayMonth, Label_dayweek, Label_date or Label_datefull, by kind.
    QLabel* DateLabel = nullptr;
    QToolButton* SpeedButtonShowCalendar = nullptr;
    QToolButton* NoTimeButton = nullptr;
    QCheckBox* CheckBox_DeleteAfter = nullptr;  // one-shot only
    QCheckBox* CheckBox_Torment = nullptr;      // one-shot only
    QToolButton* SpeedButton1 = nullptr;        // add: "Insert"
    QToolButton* SpeedButtonAddClose = nullptr; // add: "Insert and close"
    QToolButton* SpeedButtonMod = nullptr;      // modify: "Modify"
    QToolButton* PrintButton = nullptr;         // modify: "Print"
    QToolButton* SpeedButton3 = nullptr;        // "Close"

    static constexpr int MemoMaxLength = 255;

    void SaveAppointment();
    void SaveChanges();
    void ClearFields();
    void LoadFromQuery();

    void SpeedButton1Click();
    void SpeedButtonAddCloseClick();
    void SpeedButtonModClick();
    void SpeedButton3Click();
    void PrintClick();
    void SpeedButtonShowCalendarClick();
    void NoTimeClick();
    void CheckBox_DeleteAfterClick();
    void CheckBox_TormentClick();

    // The one-shot marker stored in dayofweek: "", "X" (delete once past) or "T" (every day).
    QString Marker() const;

protected:
    TAppointmentForm(QWidget* owner, TAppointmentKind kind, TDialogMode mode);

    void FormShow() override;
    bool FormKeyPress(QKeyEvent* event, QObject* target) override;

private:
    void BuildFields();
    void BuildButtons();
    void SetTabOrder();
    bool TimesAreValid();
    void ApplyDefaultTitle();
    QString DateLabelText() const;
    TQuery* ViewQuery() const;
    void RefreshView() const;
    TColor SectionColor() const;
    QString RowKeyText() const;

    TAppointmentKind m_kind;
    TDialogMode m_mode;
    QString KeptCodimp; // one-shot modify: the key of the edited row, read when it loads
};

class TAggMeseForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TAggMeseForm(QWidget* owner);
};

class TModMeseForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TModMeseForm(QWidget* owner);
};

class TAggWeekForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TAggWeekForm(QWidget* owner);
};

class TModWeekForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TModWeekForm(QWidget* owner);
};

class TAggYearForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TAggYearForm(QWidget* owner);
};

class TModYearForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TModYearForm(QWidget* owner);
};

class TAggShotForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TAggShotForm(QWidget* owner);
};

class TModShotForm : public TAppointmentForm {
    Q_OBJECT
public:
    explicit TModShotForm(QWidget* owner);
};

} // namespace qm
