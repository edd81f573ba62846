#include "dialogs/AppointmentDialogs.h"

#include "app/MainForm.h"
#include "dialogs/SelectForm.h"
#include "engine/Query.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/MaskEdit.h"
#include "platform/widgets/MemoLimit.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/AppointmentRow.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// What sets the members of one kind apart: the columns they write and the date they show.
struct KindTraits {
    QString flag;
    QString name; // in the form names: Mese, Week, Year, Shot
    QString formKind;
    QString dateLabelName;
    QString dateCaption;
    QStringList updateSet;
};

const KindTraits& TraitsOf(TAppointmentKind kind) {
    static const KindTraits monthly{
        TEntryKind::Monthly,
        QStringLiteral("Mese"),
        QStringLiteral("Montly"),
        QStringLiteral("Label_DayMonth"),
        QStringLiteral("Day"),
        {QStringLiteral("SET id         = :id,"), QStringLiteral("    note       = :note,"),
         QStringLiteral("    dayofmonth = :dayofmonth,"), QStringLiteral("    datefull   = :datefull,"),
         QStringLiteral("    orario     = :orario,"), QStringLiteral("    orario2     = :orario2")}};
    static const KindTraits weekly{
        TEntryKind::Weekly,
        QStringLiteral("Week"),
        QStringLiteral("Weekly"),
        QStringLiteral("Label_dayweek"),
        QStringLiteral("Day"),
        {QStringLiteral("SET id         = :id,"), QStringLiteral("    note       = :note,"),
         QStringLiteral("    dayofweek  = :dayofweek,"), QStringLiteral("    dayindex   = :dayindex,"),
         QStringLiteral("    datefull   = :datefull,"), QStringLiteral("    orario     = :orario,"),
         QStringLiteral("    orario2    = :orario2")}};
    static const KindTraits yearly{
        TEntryKind::Yearly,
        QStringLiteral("Year"),
        QStringLiteral("Yearly"),
        QStringLiteral("Label_date"),
        QStringLiteral("Date"),
        {QStringLiteral("SET id         = :id,"), QStringLiteral("    note       = :note,"),
         QStringLiteral("    datefull   = :datefull,"), QStringLiteral("    data       = :data,"),
         QStringLiteral("    orario     = :orario,"), QStringLiteral("    orario2    = :orario2")}};
    static const KindTraits oneShot{
        TEntryKind::OneShot,
        QStringLiteral("Shot"),
        QStringLiteral("One Shot"),
        QStringLiteral("Label_datefull"),
        QStringLiteral("Date"),
        {QStringLiteral("SET id         = :id,"), QStringLiteral("    note       = :note,"),
         QStringLiteral("    datefull   = :datefull,"), QStringLiteral("    orario     = :orario,"),
         QStringLiteral("    orario2    = :orario2,"), QStringLiteral("    dayofweek  = :dayofweek")}};
    switch (kind) {
    case TAppointmentKind::Monthly:
        return monthly;
    case TAppointmentKind::Weekly:
        return weekly;
    case TAppointmentKind::Yearly:
        return yearly;
    case TAppointmentKind::OneShot:
        break;
    }
    return oneShot;
}

// The names that differ from one dialog to the next, as the program has always had them.
struct MemberTraits {
    QString outerPanel;
    QString bottomPanel;
    QString noTimeButton;
    QString printButton;
    bool pickerOpensOnToday = false;
};

MemberTraits MemberOf(TAppointmentKind kind, TDialogMode mode) {
    const bool add = mode == TDialogMode::Add;
    MemberTraits m{QStringLiteral("Panel_Bordo"), QStringLiteral("Panel_colored"),
                   QStringLiteral("SpeedButton4"), QStringLiteral("SpeedButton1"), false};
    switch (kind) {
    case TAppointmentKind::Monthly:
        if (!add) {
            m.outerPanel = QStringLiteral("Panel_Base");
            m.noTimeButton = QStringLiteral("SpeedButton1");
            m.printButton = QStringLiteral("SpeedButton2");
        }
        break;
    case TAppointmentKind::Weekly:
        m.outerPanel = QStringLiteral("Panel_Border");
        if (!add)
            m.bottomPanel = QStringLiteral("Panel_Colored");
        m.pickerOpensOnToday = add;
        break;
    case TAppointmentKind::Yearly:
        break;
    case TAppointmentKind::OneShot:
        if (!add)
            m.outerPanel = QStringLiteral("Panel_Border");
        m.pickerOpensOnToday = add;
        break;
    }
    return m;
}

TDialogFrame::PanelNames PanelNamesOf(TAppointmentKind kind, TDialogMode mode) {
    const MemberTraits m = MemberOf(kind, mode);
    return {m.outerPanel, m.bottomPanel, QStringLiteral("Panel1")};
}

// The picker is made by the program entry; tools that build only the main window get it here.
TSelectForm* Picker() {
    if (!SelectForm)
        SelectForm = new TSelectForm(MainForm);
    return SelectForm;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, bool bold = false) {
    auto* label = new QLabel(text, parent);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

} // namespace

TAppointmentForm::TAppointmentForm(QWidget* owner, TAppointmentKind kind, TDialogMode mode)
    : TDialogFrame(owner, PanelNamesOf(kind, mode)), m_kind(kind), m_mode(mode) {
    const KindTraits& traits = TraitsOf(kind);
    const bool add = mode == TDialogMode::Add;
    setObjectName((add ? QStringLiteral("Agg") : QStringLiteral("Mod")) + traits.name +
                  QStringLiteral("Form"));
    setWindowTitle((add ? QStringLiteral("-> New ") : QStringLiteral("-> Modify ")) + traits.formKind +
                   QStringLiteral(" Task"));
    Panel_colored = BottomPanel();
    BuildFields();
    BuildButtons();
    SetTabOrder();
    // The one-shot and yearly dates are written out in full ("Wednesday 30 September 2026").
    const bool longDate = kind == TAppointmentKind::OneShot || kind == TAppointmentKind::Yearly;
    resize(longDate ? 560 : 440, kind == TAppointmentKind::OneShot ? 330 : 300);
}

void TAppointmentForm::BuildFields() {
    const KindTraits& traits = TraitsOf(m_kind);
    const MemberTraits member = MemberOf(m_kind, m_mode);
    QWidget* p = InnerPanel();
    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);

    layout->addWidget(MakeCaption(p, QStringLiteral("Description"), true));
    Edit_id = MakeEdit(p, QStringLiteral("Edit_id"), QString());
    LimitLineLength(Edit_id, 255);
    layout->addWidget(Edit_id);

    // The date on the left, the two times on the right with the thin "No time" bar below them.
    auto* dateAndTimes = new QHBoxLayout;
    layout->addLayout(dateAndTimes);
    dateAndTimes->addWidget(MakeCaption(p, traits.dateCaption));
    DateLabel = MakeLabel(p, traits.dateLabelName, QString());
    QFont dateFont = DateLabel->font();
    dateFont.setBold(true);
    dateFont.setPointSizeF(dateFont.pointSizeF() * 1.4);
    DateLabel->setFont(dateFont);
    DateLabel->setCursor(Qt::PointingHandCursor);
    // The date is chosen from the keyboard too: the label is a tab stop that shows when it has the
    // focus, and Space, Enter or Alt+Down opens the calendar.
    DateLabel->setFocusPolicy(Qt::StrongFocus);
    DateLabel->setStyleSheet(QStringLiteral("QLabel { border: 1px solid transparent; } "
                                            "QLabel:focus { border: 1px dotted palette(window-text); }"));
    if (m_kind != TAppointmentKind::Monthly && MainForm && MainForm->panel_credit)
        DateLabel->setProperty("FontCharset", MainForm->panel_credit->property("FontCharset"));
    dateAndTimes->addWidget(DateLabel);
    SpeedButtonShowCalendar = MakeSpeedButton(p, QStringLiteral("SpeedButtonShowCalendar"), QString(),
                                              QStringLiteral("Show calendar"), QStyle::SP_FileDialogInfoView);
    dateAndTimes->addWidget(SpeedButtonShowCalendar);
    dateAndTimes->addStretch(1);

    auto* timeColumn = new QVBoxLayout;
    timeColumn->setSpacing(1);
    auto* times = new QHBoxLayout;
    MaskEdit_Hour = new TMaskEdit(p, QStringLiteral("MaskEdit_Hour"));
    MaskEdit_hour2 = new TMaskEdit(p, QStringLiteral("MaskEdit_hour2"));
    for (TMaskEdit* edit : {MaskEdit_Hour, MaskEdit_hour2})
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:00")) + 16);
    times->addWidget(MakeCaption(p, QStringLiteral("From")));
    times->addWidget(MaskEdit_Hour);
    times->addWidget(MakeCaption(p, QStringLiteral("To")));
    times->addWidget(MaskEdit_hour2);
    timeColumn->addLayout(times);
    NoTimeButton = new QToolButton(p);
    NoTimeButton->setObjectName(member.noTimeButton);
    NoTimeButton->setToolTip(QStringLiteral("No time"));
    NoTimeButton->setFocusPolicy(Qt::NoFocus);
    NoTimeButton->setFixedHeight(7);
    NoTimeButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    timeColumn->addWidget(NoTimeButton);
    dateAndTimes->addLayout(timeColumn);

    if (m_kind == TAppointmentKind::OneShot) {
        auto* marks = new QHBoxLayout;
        layout->addLayout(marks);
        CheckBox_DeleteAfter = MakeCheckBox(p, QStringLiteral("CheckBox_DeleteAfter"), QString(), QString());
        QLabel* deleteLabel = MakeCaption(p, QStringLiteral("Delete after this date"));
        deleteLabel->setStyleSheet(QStringLiteral("color: red;"));
        CheckBox_Torment = MakeCheckBox(p, QStringLiteral("CheckBox_Torment"), QString(), QString());
        QLabel* tormentLabel = MakeCaption(p, QStringLiteral("Torment me every day!"));
        tormentLabel->setStyleSheet(QStringLiteral("color: blue;"));
        marks->addWidget(CheckBox_DeleteAfter);
        marks->addWidget(deleteLabel);
        marks->addSpacing(16);
        marks->addWidget(CheckBox_Torment);
        marks->addWidget(tormentLabel);
        marks->addStretch(1);
        connect(CheckBox_DeleteAfter, &QCheckBox::toggled, this,
                &TAppointmentForm::CheckBox_DeleteAfterClick);
        connect(CheckBox_Torment, &QCheckBox::toggled, this, &TAppointmentForm::CheckBox_TormentClick);
    }

    layout->addWidget(MakeCaption(p, QStringLiteral("Note")));
    Memo = new QPlainTextEdit(p);
    Memo->setObjectName(QStringLiteral("Memo"));
    Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo->setTabChangesFocus(true);
    layout->addWidget(Memo, 1);
    LimitMemoLength(Memo, MemoMaxLength);

    for (QWidget* field : {static_cast<QWidget*>(Edit_id), static_cast<QWidget*>(Memo),
                           static_cast<QWidget*>(MaskEdit_Hour), static_cast<QWidget*>(MaskEdit_hour2)})
        ColourOnFocus(field);
    MakeClickable(DateLabel, [this] { SpeedButtonShowCalendarClick(); });
    connect(SpeedButtonShowCalendar, &QToolButton::clicked, this,
            &TAppointmentForm::SpeedButtonShowCalendarClick);
    connect(NoTimeButton, &QToolButton::clicked, this, &TAppointmentForm::NoTimeClick);
}

void TAppointmentForm::BuildButtons() {
    QWidget* p = Panel_colored;
    QHBoxLayout* buttons = ButtonLayout();
    if (m_mode == TDialogMode::Add) {
        SpeedButton1 = MakeSpeedButton(p, QStringLiteral("SpeedButton1"), QStringLiteral("Insert"),
                                       QStringLiteral("Insert"), QStyle::SP_FileDialogNewFolder);
        SpeedButtonAddClose =
            MakeSpeedButton(p, QStringLiteral("SpeedButtonAddClose"), QStringLiteral("Insert and close"),
                            QStringLiteral("Insert and close"), QStyle::SP_DialogSaveButton);
        buttons->addWidget(SpeedButton1);
        buttons->addWidget(SpeedButtonAddClose);
        connect(SpeedButton1, &QToolButton::clicked, this, &TAppointmentForm::SpeedButton1Click);
        connect(SpeedButtonAddClose, &QToolButton::clicked, this,
                &TAppointmentForm::SpeedButtonAddCloseClick);
    } else {
        PrintButton = MakeSpeedButton(p, MemberOf(m_kind, m_mode).printButton, QStringLiteral("Print"),
                                      QStringLiteral("Print"), QStyle::SP_ComputerIcon);
        SpeedButtonMod = MakeSpeedButton(p, QStringLiteral("SpeedButtonMod"), QStringLiteral("Modify"),
                                         QStringLiteral("Modify"), QStyle::SP_DialogSaveButton);
        buttons->insertWidget(0, PrintButton);
        buttons->addWidget(SpeedButtonMod);
        connect(PrintButton, &QToolButton::clicked, this, &TAppointmentForm::PrintClick);
        connect(SpeedButtonMod, &QToolButton::clicked, this, &TAppointmentForm::SpeedButtonModClick);
    }
    SpeedButton3 = MakeSpeedButton(p, QStringLiteral("SpeedButton3"), QStringLiteral("Close"),
                                   QStringLiteral("Close"), QStyle::SP_DialogCloseButton);
    buttons->addWidget(SpeedButton3);
    connect(SpeedButton3, &QToolButton::clicked, this, &TAppointmentForm::SpeedButton3Click);
}

void TAppointmentForm::SetTabOrder() {
    QList<QWidget*> order;
    if (m_mode == TDialogMode::Add)
        order = {Edit_id, DateLabel, MaskEdit_Hour, MaskEdit_hour2, Memo};
    else
        order = {MaskEdit_Hour, MaskEdit_hour2, Edit_id, DateLabel, Memo};
    if (CheckBox_DeleteAfter)
        order << CheckBox_DeleteAfter << CheckBox_Torment;
    for (int i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

TQuery* TAppointmentForm::ViewQuery() const {
    switch (m_kind) {
    case TAppointmentKind::Monthly:
        return MainForm->QueryMonth;
    case TAppointmentKind::Weekly:
        return MainForm->QueryWeek;
    case TAppointmentKind::Yearly:
        return MainForm->QueryYear;
    case TAppointmentKind::OneShot:
        break;
    }
    return MainForm->QueryShot;
}

void TAppointmentForm::RefreshView() const {
    switch (m_kind) {
    case TAppointmentKind::Monthly:
        MainForm->RefreshMonthQuery();
        return;
    case TAppointmentKind::Weekly:
        MainForm->RefreshWeekQuery();
        return;
    case TAppointmentKind::Yearly:
        MainForm->RefreshYearQuery();
        return;
    case TAppointmentKind::OneShot:
        MainForm->RefreshShotQuery();
        return;
    }
}

TColor TAppointmentForm::SectionColor() const {
    switch (m_kind) {
    case TAppointmentKind::Monthly:
        return MainForm->SectionColors.MonthColor;
    case TAppointmentKind::Weekly:
        return MainForm->SectionColors.WeekColor;
    case TAppointmentKind::Yearly:
        return MainForm->SectionColors.YearColor;
    case TAppointmentKind::OneShot:
        break;
    }
    return MainForm->SectionColors.ShotColor;
}

QString TAppointmentForm::DateLabelText() const {
    const QDate date = MainForm->SelectedDate;
    switch (m_kind) {
    case TAppointmentKind::Monthly:
        return FormatDateTime(QStringLiteral("dd"), date);
    case TAppointmentKind::Weekly:
        return FormatDateTime(QStringLiteral("dddd"), date);
    case TAppointmentKind::Yearly:
        return FormatDateTime(MainForm->YearDateFormat, date);
    case TAppointmentKind::OneShot:
        break;
    }
    return FormatDateTime(MainForm->ShotDateFormat, date);
}

QString TAppointmentForm::Marker() const {
    QString marker;
    if (CheckBox_DeleteAfter && CheckBox_DeleteAfter->isChecked())
        marker = QStringLiteral("X");
    if (CheckBox_Torment && CheckBox_Torment->isChecked())
        marker = QStringLiteral("T");
    return marker;
}

// The key goes into the statement's text, so it is rebuilt from the number and nothing else.
QString TAppointmentForm::RowKeyText() const {
    if (m_kind == TAppointmentKind::OneShot)
        return KeptCodimp;
    return QString::number(ViewQuery()->FieldByName(QStringLiteral("codimp")).AsInteger());
}

void TAppointmentForm::FormShow() {
    Guarded([this] {
        if (m_mode == TDialogMode::Add) {
            MainForm->SelectedDate = Today();
            if (m_kind == TAppointmentKind::Yearly)
                MainForm->SelectedMonthDay =
                    FormatDateTime(QStringLiteral("mm/dd"), MainForm->SelectedDate).left(5);
            DateLabel->setText(DateLabelText());
            SetSectionColor(SectionColor());
            ClearFields();
        } else {
            SetSectionColor(SectionColor());
            LoadFromQuery();
        }
    });
}

void TAppointmentForm::ClearFields() {
    MaskEdit_Hour->Clear();
    MaskEdit_hour2->Clear();
    Edit_id->clear();
    Memo->clear();
    Edit_id->setFocus();
}

void TAppointmentForm::LoadFromQuery() {
    const TQuery* query = ViewQuery();
    const auto text = [query](const char* field) {
        return query->FieldByName(QString::fromLatin1(field)).AsString();
    };
    if (m_kind == TAppointmentKind::OneShot)
        KeptCodimp = QString::number(query->FieldByName(QStringLiteral("codimp")).AsInteger());
    MainForm->SelectedDate = query->FieldByName(QStringLiteral("datefull")).AsDate();
    switch (m_kind) {
    case TAppointmentKind::Monthly:
        // The stored day stays until another date is picked.
        DateLabel->setText(text("dayofmonth"));
        break;
    case TAppointmentKind::Yearly:
        MainForm->SelectedMonthDay = FormatDateTime(QStringLiteral("mm/dd"), MainForm->SelectedDate).left(5);
        DateLabel->setText(DateLabelText());
        break;
    case TAppointmentKind::Weekly:
        DateLabel->setText(DateLabelText());
        break;
    case TAppointmentKind::OneShot: {
        DateLabel->setText(DateLabelText());
        const QString marker = text("dayofweek");
        CheckBox_DeleteAfter->setChecked(marker == QLatin1String("X"));
        CheckBox_Torment->setChecked(marker == QLatin1String("T"));
        break;
    }
    }
    MaskEdit_Hour->SetText(text("orario"));
    MaskEdit_hour2->SetText(text("orario2"));
    Edit_id->setText(text("id"));
    QString note = text("note");
    SetMemoText(Memo, note);
    Edit_id->setFocus();
}

void TAppointmentForm::ApplyDefaultTitle() {
    if (Edit_id->text().isEmpty())
        Edit_id->setText(DefaultAppointmentTitle());
}

namespace {

// The row the fields describe, in the columns the kind stores.
TAppointmentRow RowOfFields(TAppointmentKind kind, const TAppointmentForm& form, const QString& dateText,
                            const QString& marker) {
    TAppointmentRow row;
    row.flag = TraitsOf(kind).flag;
    row.id = form.Edit_id->text();
    row.note = MemoText(form.Memo);
    row.datefull = MainForm->SelectedDate;
    row.orario = form.MaskEdit_Hour->Text();
    row.orario2 = form.MaskEdit_hour2->Text();
    switch (kind) {
    case TAppointmentKind::Monthly:
        row.dayofmonth = dateText;
        break;
    case TAppointmentKind::Weekly:
        row.dayofweek = dateText;
        row.dayindex = DayOfWeekSundayFirst(MainForm->SelectedDate);
        break;
    case TAppointmentKind::Yearly:
        row.data = MainForm->SelectedMonthDay;
        break;
    case TAppointmentKind::OneShot:
        row.dayofweek = marker;
        break;
    }
    return row;
}

} // namespace

void TAppointmentForm::SaveAppointment() {
    ApplyDefaultTitle();
    InsertAppointment(*MainForm->Query_Jolly, RowOfFields(m_kind, *this, DateLabel->text(), Marker()));
    RefreshView();
}

void TAppointmentForm::SaveChanges() {
    ApplyDefaultTitle();
    const KindTraits& traits = TraitsOf(m_kind);
    TQuery* query = MainForm->Query_Jolly;
    const QString key = RowKeyText();
    query->SQL.Clear();
    query->SQL.Add(QStringLiteral("UPDATE QMarc80"));
    for (const QString& line : traits.updateSet)
        query->SQL.Add(line);
    query->SQL.Add(QStringLiteral("WHERE codimp = ") + key);
    BindAppointment(*query, RowOfFields(m_kind, *this, DateLabel->text(), Marker()));
    query->ExecSQL();
    RefreshView();
}

// A time is empty or a real time of day; anything else would be stored as typed and never ring.
bool TAppointmentForm::TimesAreValid() {
    const std::pair<TMaskEdit*, QString> fields[] = {{MaskEdit_Hour, QStringLiteral("start")},
                                                     {MaskEdit_hour2, QStringLiteral("end")}};
    for (const auto& [field, which] : fields) {
        if (field->IsBlank() || field->IsValidTime())
            continue;
        MessageBox(QStringLiteral("The ") + which + QStringLiteral(" time \"") + field->displayText() +
                       QStringLiteral("\" is not a valid time (hh:mm, 00:00 to 23:59)."),
                   MainForm->MsgCaption, MainForm->MsgOk + MainForm->MsgExclamation);
        field->setFocus();
        return false;
    }
    return true;
}

void TAppointmentForm::SpeedButton1Click() {
    if (!TimesAreValid())
        return;
    Guarded([this] {
        SaveAppointment();
        ClearFields();
        if (MainForm->PageControlMenu->currentWidget() == MainForm->TabSheetTODAY) {
            MainForm->RefreshTodayQuery();
            MainForm->FormResize();
        }
    });
}

void TAppointmentForm::SpeedButtonAddCloseClick() {
    if (!TimesAreValid())
        return;
    if (Guarded([this] { SaveAppointment(); }))
        accept();
}

void TAppointmentForm::SpeedButtonModClick() {
    if (!TimesAreValid())
        return;
    if (Guarded([this] { SaveChanges(); }))
        accept();
}

void TAppointmentForm::SpeedButton3Click() {
    reject();
}

void TAppointmentForm::PrintClick() {
    PrintWidget(this);
}

void TAppointmentForm::SpeedButtonShowCalendarClick() {
    TSelectForm* picker = Picker();
    const TColor colour = Panel_colored->Color();
    picker->Panel_colored->SetColor(colour);
    picker->Panel_Border->SetColor(colour);
    picker->SetCalendarTitleColor(colour);
    picker->MonthCalendar1->setSelectedDate(
        MemberOf(m_kind, m_mode).pickerOpensOnToday ? Today() : MainForm->SelectedDate);
    RunModal(*picker);
    // Rewritten however the picker was left: "Close" keeps the date, and the label shows it.
    DateLabel->setText(DateLabelText());
}

void TAppointmentForm::NoTimeClick() {
    MaskEdit_Hour->Clear();
    MaskEdit_hour2->Clear();
    Edit_id->setFocus();
}

void TAppointmentForm::CheckBox_DeleteAfterClick() {
    CheckBox_Torment->setEnabled(!CheckBox_DeleteAfter->isChecked());
}

void TAppointmentForm::CheckBox_TormentClick() {
    CheckBox_DeleteAfter->setEnabled(!CheckBox_Torment->isChecked());
}

bool TAppointmentForm::FormKeyPress(QKeyEvent* event, QObject* target) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (target == DateLabel &&
        (enter || altDown || event->key() == Qt::Key_Space || event->key() == Qt::Key_F4)) {
        SpeedButtonShowCalendarClick();
        return true;
    }
    if (enter && (target == Edit_id || target == MaskEdit_Hour || target == MaskEdit_hour2)) {
        (m_mode == TDialogMode::Add ? SpeedButtonAddClose : SpeedButtonMod)->click();
        return true;
    }
    return TDialogFrame::FormKeyPress(event, target);
}

TAggMeseForm::TAggMeseForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Monthly, TDialogMode::Add) {}
TModMeseForm::TModMeseForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Monthly, TDialogMode::Modify) {}
TAggWeekForm::TAggWeekForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Weekly, TDialogMode::Add) {}
TModWeekForm::TModWeekForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Weekly, TDialogMode::Modify) {}
TAggYearForm::TAggYearForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Yearly, TDialogMode::Add) {}
TModYearForm::TModYearForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::Yearly, TDialogMode::Modify) {}
TAggShotForm::TAggShotForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::OneShot, TDialogMode::Add) {}
TModShotForm::TModShotForm(QWidget* owner)
    : TAppointmentForm(owner, TAppointmentKind::OneShot, TDialogMode::Modify) {}

} // namespace qm
