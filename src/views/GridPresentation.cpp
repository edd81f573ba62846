#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/DateFormat.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>

// What the list grids show beyond their table columns, and how their cells are painted.
namespace qm {

namespace {

const QString kNote = QStringLiteral("note");

QVariant MarkWhenFilled(const TRecord& record, const QString& field) {
    return record.FieldByName(field).AsString().isEmpty() ? QString() : QStringLiteral("X");
}

// A date column in the user's chosen format; a row without a date shows nothing.
QString FormattedDate(const QString& format, const TField& field) {
    const QDate date = field.AsDate();
    return date.isValid() ? FormatDateTime(format, date) : QString();
}

// The main window's font style plus bold, on the cell's own font.
QFont BoldOf(const QFont& cellFont, const QFont& windowFont) {
    QFont font = cellFont;
    font.setItalic(windowFont.italic());
    font.setUnderline(windowFont.underline());
    font.setStrikeOut(windowFont.strikeOut());
    font.setBold(true);
    return font;
}

// The one-shot markers: "X" goes once its date has passed, "T" shows on every day.
void ApplyMarker(TCellCanvas& canvas, const TRecord& record) {
    const QString marker = record.FieldByName(QStringLiteral("dayofweek")).AsString();
    if (marker == QLatin1String("X"))
        canvas.FontColor = ToQColor(Colors::clRed);
    else if (marker == QLatin1String("T"))
        canvas.FontColor = ToQColor(Colors::clBlue);
}

} // namespace

void TMainForm::SetupGridPresentation() {
    const auto presenza = [](const TRecord& r) { return MarkWhenFilled(r, kNote); };
    for (TQuery* query : {QueryShot, QueryYear, QueryMonth, QueryWeek, QueryTODAY, QueryContact})
        query->AddCalcField(QStringLiteral("Presenza"), presenza);
    QueryShot->AddCalcField(QStringLiteral("Datashot"), [this](const TRecord& r) -> QVariant {
        return FormattedDate(ShotDateFormat, r.FieldByName(QStringLiteral("datefull")));
    });
    QueryYear->AddCalcField(QStringLiteral("Datayear"), [this](const TRecord& r) -> QVariant {
        return FormattedDate(YearDateFormat, r.FieldByName(QStringLiteral("datefull")));
    });
    QueryToDo->AddCalcField(QStringLiteral("fatto"), [](const TRecord& r) -> QVariant {
        return r.FieldByName(QStringLiteral("flag")).AsString() == QLatin1String("Yes") ? QStringLiteral("X")
                                                                                        : QString();
    });
    QueryToDo->AddCalcField(QStringLiteral("presenza"), presenza);

    ConnectGuarded(QueryShot, &TQuery::DataChange, this, &TMainForm::DataSourceShotDataChange);
    ConnectGuarded(QueryYear, &TQuery::DataChange, this, &TMainForm::DataSourceYearDataChange);
    ConnectGuarded(QueryMonth, &TQuery::DataChange, this, &TMainForm::DataSourceMonthDataChange);
    ConnectGuarded(QueryWeek, &TQuery::DataChange, this, &TMainForm::DataSourceWeekDataChange);
    ConnectGuarded(QueryTODAY, &TQuery::DataChange, this, &TMainForm::DataSourceTODAYDataChange);

    using DrawHandler = void (TMainForm::*)(TCellCanvas&, const TRecord&, int, const TDrawState&);
    const std::pair<TDBGrid*, DrawHandler> painters[] = {
        {DBGrid_Shot, &TMainForm::DBGrid_ShotDrawColumnCell},
        {DBGrid_Year, &TMainForm::DBGrid_YearDrawColumnCell},
        {DBGrid_Month, &TMainForm::DBGrid_MonthDrawColumnCell},
        {DBGrid_Week, &TMainForm::DBGrid_WeekDrawColumnCell},
        {DBGrid_Contact, &TMainForm::DBGrid_ContactDrawColumnCell},
        {DBGrid_Today, &TMainForm::DBGrid_TodayDrawColumnCell}};
    for (const auto& [grid, handler] : painters) {
        // The grids are button-face grey; "colored" tints only the current row.
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Base, ToQColor(Colors::clBtnFace));
        grid->setPalette(palette);
        grid->SetOnDrawColumnCell(
            [this, handler](TCellCanvas& canvas, const TRecord& record, int column, const TDrawState& state) {
                (this->*handler)(canvas, record, column, state);
            });
    }

    for (TDBMemo* memo : {DBMemoShot, DBMemoYear, DBMemoMonth, DBMemoWeek, DBMemoToday, DBMemoToDo})
        ConnectGuarded(memo, &TDBMemo::MouseDown, this, &TMainForm::DBMemoMouseDown);
}

// ---- header panels: the current row's date, day or times ----

void TMainForm::DataSourceShotDataChange() {
    Panel_Data_Shot->SetCaption(
        QueryShot->RecordCount() < 1
            ? QString()
            : FormattedDate(ShotDateFormat, QueryShot->FieldByName(QStringLiteral("datefull"))) +
                  QStringLiteral("   "));
}

void TMainForm::DataSourceYearDataChange() {
    Panel_Data_Year->SetCaption(
        QueryYear->RecordCount() < 1
            ? QString()
            : FormattedDate(YearDateFormat, QueryYear->FieldByName(QStringLiteral("datefull"))) +
                  QStringLiteral("   "));
}

void TMainForm::DataSourceMonthDataChange() {
    Panel_Data_Month->SetCaption(QueryMonth->RecordCount() < 1
                                     ? QString()
                                     : QueryMonth->FieldByName(QStringLiteral("dayofmonth")).AsString() +
                                           QStringLiteral("   "));
}

void TMainForm::DataSourceWeekDataChange() {
    Panel_Data_Week->SetCaption(QueryWeek->RecordCount() < 1
                                    ? QString()
                                    : QueryWeek->FieldByName(QStringLiteral("dayofweek")).AsString() +
                                          QStringLiteral("   "));
}

void TMainForm::DataSourceTODAYDataChange() {
    Panel_Data_Today->SetCaption(
        QueryTODAY->RecordCount() < 1
            ? QString()
            : QueryTODAY->FieldByName(QStringLiteral("orario")).AsString() + QStringLiteral(" - ") +
                  QueryTODAY->FieldByName(QStringLiteral("orario2")).AsString() + QStringLiteral("   "));
}

// A memo never keeps the focus or a caret, so its note is never edited in place.
void TMainForm::DBMemoMouseDown() {
    panel_credit0->setFocus();
}

// ---- cell painting ----

namespace {

// The two grid styles of the lists with one colour: "colored" tints the current row only,
// anything else ("colorful") tints every row and makes the current one bold.
void PaintSectionCell(TCellCanvas& canvas, const TDrawState& state, const QString& style, TColor section,
                      const QFont& windowFont) {
    if (style == QLatin1String("colored")) {
        if (state.Selected)
            canvas.Brush = ToQColor(section);
        canvas.FontColor = ToQColor(Colors::clWindowText);
    } else {
        if (state.Selected)
            canvas.Font = BoldOf(canvas.Font, windowFont);
        canvas.Brush = ToQColor(section);
        canvas.FontColor = ToQColor(Colors::clBlack);
    }
}

} // namespace

void TMainForm::DBGrid_ShotDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int,
                                          const TDrawState& state) {
    PaintSectionCell(canvas, state, ComboBox_Stile->currentText(), SectionColors.ShotColor, font());
    ApplyMarker(canvas, record);
}

void TMainForm::DBGrid_YearDrawColumnCell(TCellCanvas& canvas, const TRecord&, int, const TDrawState& state) {
    PaintSectionCell(canvas, state, ComboBox_Stile->currentText(), SectionColors.YearColor, font());
}

void TMainForm::DBGrid_MonthDrawColumnCell(TCellCanvas& canvas, const TRecord&, int,
                                           const TDrawState& state) {
    PaintSectionCell(canvas, state, ComboBox_Stile->currentText(), SectionColors.MonthColor, font());
}

void TMainForm::DBGrid_WeekDrawColumnCell(TCellCanvas& canvas, const TRecord&, int, const TDrawState& state) {
    PaintSectionCell(canvas, state, ComboBox_Stile->currentText(), SectionColors.WeekColor, font());
}

void TMainForm::DBGrid_ContactDrawColumnCell(TCellCanvas& canvas, const TRecord&, int,
                                             const TDrawState& state) {
    PaintSectionCell(canvas, state, ComboBox_Stile->currentText(), SectionColors.ContactColor, font());
}

// The Tasks list holds every kind: each row takes the colour of its kind's section.
void TMainForm::DBGrid_TodayDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int,
                                           const TDrawState& state) {
    const QString flag = record.FieldByName(QStringLiteral("flag")).AsString();
    TColor kindColor = SectionColors.TodayColor;
    if (flag == TEntryKind::OneShot)
        kindColor = SectionColors.ShotColor;
    else if (flag == TEntryKind::Yearly)
        kindColor = SectionColors.YearColor;
    else if (flag == TEntryKind::Monthly)
        kindColor = SectionColors.MonthColor;
    else if (flag == TEntryKind::Weekly)
        kindColor = SectionColors.WeekColor;

    if (ComboBox_Stile->currentText() == QLatin1String("colored")) {
        if (state.Selected)
            canvas.Brush = ToQColor(kindColor);
        canvas.FontColor = ToQColor(Colors::clWindowText);
        ApplyMarker(canvas, record);
    } else {
        canvas.FontColor = ToQColor(Colors::clBlack);
        ApplyMarker(canvas, record);
        canvas.Brush = ToQColor(kindColor);
        if (state.Selected || state.Focused)
            canvas.Font = BoldOf(canvas.Font, font());
    }
}

} // namespace qm
