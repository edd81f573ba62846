#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "platform/Application.h"
#include "platform/DateFormat.h"
#include "platform/widgets/Panel.h"

#include <QComboBox>
#include <QEvent>
#include <QFontMetricsF>
#include <QHash>
#include <QLayout>
#include <QtMath>
#include <algorithm>

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

// The lists' column widths were laid out for an 8-point font whose average character is 5 pixels
// wide. They grow with the font in use, so that dates and times show in full.
constexpr double kDesignCharWidth = 5.0;

double FontMeasure(const QFont& font) {
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double average = QFontMetricsF(font).horizontalAdvance(alphabet) / double(alphabet.size());
    return std::max(1.0, average / kDesignCharWidth);
}

// Gives the grid the designed widths grown by its font's measure. The grid re-applies its columns'
// widths whenever its list re-opens, so the grown widths become the columns' own.
void ScaleColumnWidths(TDBGrid* grid, const QList<TColumn>& designed) {
    const double measure = FontMeasure(grid->font());
    QList<TColumn> columns = designed;
    for (TColumn& column : columns)
        column.Width = qRound(column.Width * measure);
    grid->SetColumns(columns);
}

// A grid whose font changes (the section font is chosen on the options tab) takes widths to match;
// the Tasks header measures its caption again.
class GridFontEvents : public QObject {
public:
    explicit GridFontEvents(TMainForm* form) : QObject(form), m_form(form) {}

    void Watch(TDBGrid* grid) {
        QList<TColumn> designed;
        for (int column = 0; column < grid->ColumnCount(); ++column)
            designed.append(grid->Column(column));
        m_designed.insert(grid, designed);
        ScaleColumnWidths(grid, designed);
        grid->installEventFilter(this);
    }

    void WatchTasksHeader(QWidget* header) {
        m_tasksHeader = header;
        header->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FontChange && watched == m_tasksHeader) {
            Guarded([this] { m_form->DataSourceTODAYDataChange(); });
        } else if (event->type() == QEvent::FontChange) {
            const auto designed = m_designed.constFind(watched);
            if (designed != m_designed.cend()) {
                ScaleColumnWidths(static_cast<TDBGrid*>(watched), *designed);
                Guarded([this] { m_form->FormResize(); });
            }
        }
        return false;
    }

private:
    TMainForm* m_form;
    QObject* m_tasksHeader = nullptr;
    QHash<QObject*, QList<TColumn>> m_designed;
};

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

    auto* fontEvents = new GridFontEvents(this);
    for (TDBGrid* grid :
         {DBGrid_Shot, DBGrid_Year, DBGrid_Month, DBGrid_Week, DBGrid_Today, DBGrid_Contact, DBGrid_ToDo})
        fontEvents->Watch(grid);
    fontEvents->WatchTasksHeader(Panel_Data_Today);

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
    // The alarm message sits beside the caption, never over it.
    const QString caption = Panel_Data_Today->Caption();
    const int captionWidth =
        caption.isEmpty() ? 0
                          : Panel_Data_Today->contentsRect().left() + 4 +
                                qCeil(QFontMetricsF(Panel_Data_Today->font()).horizontalAdvance(caption));
    if (QLayout* layout = Panel_Data_Today->layout()) {
        QMargins margins = layout->contentsMargins();
        margins.setLeft(std::max(3, captionWidth));
        layout->setContentsMargins(margins);
        layout->activate();
    }
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
