#include "app/MainForm.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/widgets/Panel.h"
#include "views/ListTabSupport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

// Every list is one SELECT rebuilt from its tab's controls and re-opened. Whatever the user types
// (find texts, the group filter) reaches the engine only as a bound parameter.
namespace qm {

namespace {

// The column a find-kind combo searches. A text that no item holds gives no column (and a
// statement the engine refuses).
QString SearchedColumn(const QString& kind) {
    static const std::pair<const char*, const char*> columns[] = {
        {"Description", "UPPER(id)"},   {"Note", "UPPER(note)"},    {"Name", "UPPER(ragsoc)"},
        {"Company", "UPPER(company)"},  {"Phone", "UPPER(tel)"},    {"Mobile", "UPPER(mobile)"},
        {"Fax", "UPPER(fax)"},          {"E-mail", "UPPER(email)"}, {"Web", "UPPER(site)"},
        {"Address", "UPPER(indirizzo)"}};
    for (const auto& [item, column] : columns)
        if (kind == QLatin1String(item))
            return QString::fromLatin1(column);
    return QString();
}

// Replaces a query's text by one line and binds the find pattern.
void SetSearch(TQuery* query, const QString& sql, const QString& findText) {
    query->Close();
    query->SQL.Clear();
    query->SQL.Add(sql);
    query->ParamByName(QStringLiteral("pattern")).SetAsString(ContainsPattern(findText));
}

// The seven lines of the day list of `day`: one-shot entries of that date, monthly entries of its
// day of month, weekly entries of its weekday, yearly entries of its month and day, and the
// entries shown every day. The day's texts are formed as the dialogs store them.
void SetDayList(TQuery* query, const QDate& day) {
    query->Close();
    query->SQL.Clear();
    query->SQL.Add(QStringLiteral("SELECT * FROM QMarc80 "));
    // Each day column is tested before the kind: it comes earlier in the row and is seldom equal,
    // so most rows are passed over without reading the kind at the row's end.
    query->SQL.Add(QStringLiteral("WHERE (datefull   = :datefull and flag = \"O\")"));
    query->SQL.Add(QStringLiteral("OR    (dayofmonth = :dayofmonth and flag = \"M\")"));
    query->SQL.Add(QStringLiteral("OR    (dayofweek  = :dayofweek and flag = \"W\")"));
    query->SQL.Add(QStringLiteral("OR    (data       = :data and flag = \"Y\")"));
    query->SQL.Add(QStringLiteral("OR    (dayofweek = \"T\")"));
    query->SQL.Add(QStringLiteral("ORDER BY orario,orario2,id,note"));
    query->ParamByName(QStringLiteral("datefull")).SetAsDate(day);
    query->ParamByName(QStringLiteral("dayofmonth")).SetAsString(FormatDateTime(QStringLiteral("dd"), day));
    query->ParamByName(QStringLiteral("dayofweek")).SetAsString(FormatDateTime(QStringLiteral("dddd"), day));
    query->ParamByName(QStringLiteral("data")).SetAsString(FormatDateTime(QStringLiteral("mm/dd"), day));
}

struct Bound {
    const char* from;
    const char* to;
    const char* caption;
    const char* hint;
};

// The first matching bound wins over the fallback, later ones over earlier ones (the bounds do
// not overlap within one table).
void ShowBound(QLabel* label, const QString& monthDay, const Bound& fallback,
               std::initializer_list<Bound> bounds) {
    const Bound* chosen = &fallback;
    for (const Bound& b : bounds)
        if (QLatin1String(b.from) <= monthDay && monthDay <= QLatin1String(b.to))
            chosen = &b;
    label->setText(QString::fromLatin1(chosen->caption));
    label->setToolTip(QString::fromLatin1(chosen->hint));
}

} // namespace

void TMainForm::RefreshShotQuery() {
    const QString column = SearchedColumn(ComboBox_KindFindShot->currentText());
    SetSearch(QueryShot,
              QStringLiteral("SELECT * FROM QMarc80 WHERE flag =\"O\" AND ") + column +
                  QStringLiteral(" LIKE UPPER(:pattern) ORDER BY datefull ") + ShotOrder +
                  QStringLiteral(",orario,orario2,id,note"),
              Edit_Find_Shot->text());
    OpenListQuery(QueryShot, Panel_Shot, ListTabOf(*this, ListKind::Shot).rowButtons);
}

void TMainForm::RefreshYearQuery() {
    const QString column = SearchedColumn(ComboBox_KindFindYear->currentText());
    const int month = ComboBox_Month->currentIndex();
    const QString monthPiece = month == 12 || month < 0
                                   ? QStringLiteral("AND ")
                                   : QStringLiteral("AND EXTRACT(MONTH FROM datefull) = ") +
                                         QString::number(month + 1) + QStringLiteral(" AND ");
    SetSearch(QueryYear,
              QStringLiteral("SELECT * FROM QMarc80 WHERE flag =\"Y\"") + monthPiece + column +
                  QStringLiteral(" LIKE UPPER(:pattern) ORDER BY data ") + YearOrder +
                  QStringLiteral(",orario,orario2,id,note"),
              Edit_Find_Anno->text());
    OpenListQuery(QueryYear, Panel_year, ListTabOf(*this, ListKind::Year).rowButtons);
}

void TMainForm::RefreshMonthQuery() {
    const QString column = SearchedColumn(ComboBox_KindFindMonth->currentText());
    SetSearch(QueryMonth,
              QStringLiteral("SELECT * FROM QMarc80 WHERE flag =\"M\" AND ") + column +
                  QStringLiteral(" LIKE UPPER(:pattern) ORDER BY dayofmonth ") + MonthOrder +
                  QStringLiteral(",orario,orario2,id,note"),
              Edit_Find_Mese->text());
    OpenListQuery(QueryMonth, Panel_Month, ListTabOf(*this, ListKind::Month).rowButtons);
}

void TMainForm::RefreshWeekQuery() {
    const QString column = SearchedColumn(ComboBox_KindFindWeek->currentText());
    SetSearch(QueryWeek,
              QStringLiteral("SELECT * FROM QMarc80 WHERE flag =\"W\" AND UPPER(dayofweek) LIKE "
                             "UPPER(:day) AND ") +
                  column + QStringLiteral(" LIKE UPPER(:pattern) ORDER BY dayindex ") + WeekOrder +
                  QStringLiteral(",dayofweek,orario,orario2,id"),
              Edit_Find_Week->text());
    QueryWeek->ParamByName(QStringLiteral("day"))
        .SetAsString(ContainsPattern(ComboBox_dayofweek->currentText()));
    OpenListQuery(QueryWeek, Panel_week, ListTabOf(*this, ListKind::Week).rowButtons);
}

void TMainForm::RefreshContactQuery() {
    const QString column = SearchedColumn(ComboBox_KindFindContact->currentText());
    const QString group = ComboBox_Contact_Group->currentText();
    SetSearch(QueryContact,
              QStringLiteral("SELECT * FROM QMcon26 WHERE ") + column +
                  QStringLiteral(" LIKE UPPER(:pattern)") +
                  (group.isEmpty() ? QString() : QStringLiteral("AND UPPER(gruppo) LIKE UPPER(:group)")) +
                  QStringLiteral(" ORDER BY ragsoc ") + ContactOrder + QStringLiteral(",company,gruppo"),
              Edit_ragsoc->text());
    QueryContact->ParamByName(QStringLiteral("group")).SetAsString(ContainsPattern(group));
    OpenListQuery(QueryContact, panel_contact, ListTabOf(*this, ListKind::Contact).rowButtons);
}

void TMainForm::FindContactExact() {
    FindContactExact(Edit_ragsoc->text());
}

void TMainForm::FindContactExact(const QString& name) {
    // The whole text, compared without regard to case; % and _ are plain characters here.
    const QString column = SearchedColumn(ComboBox_KindFindContact->currentText());
    const QString group = ComboBox_Contact_Group->currentText();
    QueryContact->Close();
    QueryContact->SQL.Clear();
    QueryContact->SQL.Add(
        QStringLiteral("SELECT * FROM QMcon26 WHERE ") + column + QStringLiteral(" = UPPER(:name)") +
        (group.isEmpty() ? QString() : QStringLiteral("AND UPPER(gruppo) LIKE UPPER(:group)")) +
        QStringLiteral(" ORDER BY ragsoc ") + ContactOrder + QStringLiteral(",company,gruppo"));
    QueryContact->ParamByName(QStringLiteral("name")).SetAsString(name);
    QueryContact->ParamByName(QStringLiteral("group")).SetAsString(ContainsPattern(group));
    OpenListQuery(QueryContact, panel_contact, ListTabOf(*this, ListKind::Contact).rowButtons);
}

void TMainForm::RefreshToDoQuery() {
    const QString sort = ComboBoxOrdine->currentText();
    QString orderPiece;
    if (sort == QLatin1String("Priority"))
        orderPiece = QStringLiteral(" ORDER BY Priority DESC, id");
    else if (sort == QLatin1String("Description"))
        orderPiece = QStringLiteral(" ORDER BY id, Priority DESC");
    else if (sort == QLatin1String("Percentage"))
        orderPiece = QStringLiteral(" ORDER BY Percento DESC, id");
    const QString column = SearchedColumn(ComboBox_KindFindToDo->currentText());
    QueryToDo->Close();
    const QString status = ComboBoxToDo->currentText();
    QString statusPiece;
    if (status == QLatin1String("All"))
        statusPiece = QStringLiteral(" ");
    else if (status == QLatin1String("Done"))
        statusPiece = QStringLiteral(" and flag =\"Yes\" ");
    else if (status == QLatin1String("Undone"))
        statusPiece = QStringLiteral(" and flag =\"No\" ");
    if (!statusPiece.isEmpty()) {
        QueryToDo->SQL.Clear();
        QueryToDo->SQL.Add(QStringLiteral("SELECT * FROM QMtod90 WHERE ") + column +
                           QStringLiteral(" LIKE UPPER(:pattern)") + statusPiece + orderPiece);
    }
    QueryToDo->ParamByName(QStringLiteral("pattern")).SetAsString(ContainsPattern(Edit_Find_ToDo->text()));
    OpenListQuery(QueryToDo, Panel_ToDo,
                  {SpeedButtonDelToDo, SpeedButtonModToDo, SpeedButtonPrintToDo, SpeedButtonDupliToDo,
                   SpeedButtonCheckToDo, SpeedButtonExportTodo});
}

void TMainForm::RefreshTodayQuery() {
    const QDate day = DateTimePickerTODAY->date();
    SetDayList(QueryTODAY, day);
    OpenListQuery(QueryTODAY, panel_today,
                  {SpeedButtonPrintToday, SpeedButtonFollowToday, SpeedButtonModToday, SpeedButtonDelToday,
                   SpeedButtonEportToday});
    const QString dayText = QStringLiteral("dd mm yyyy");
    const bool isToday = FormatDateTime(dayText, day) == FormatDateTime(dayText, Today());
    QPalette palette = DateTimePickerTODAY->palette();
    palette.setColor(QPalette::Base, isToday ? ToQColor(SectionColors.TodayColor) : QColor(Qt::white));
    DateTimePickerTODAY->setPalette(palette);
    TodayDirty = 0;
    if (SpeedButtonClendarioLato->isChecked())
        ShowZodiacAndSeason();
}

void TMainForm::RefreshAlarmQuery() {
    const QDate day = Today();
    SetDayList(QueryParallelo, day);
    if (m_inFormCreate) {
        // Read on an idle turn once the window shows, or by the first alarm tick, whichever is first.
        QueryParallelo->DeferOpen([this, day] {
            Guarded([this, day] {
                QueryParallelo->Open();
                AlarmListRebuilt(day);
            });
        });
        return;
    }
    QueryParallelo->Open();
    AlarmListRebuilt(day);
}

void TMainForm::PurgeExpiredOneShots() {
    // Most starts have nothing to purge: a look first, so that the table is written only when needed.
    Query_Jolly->Close();
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("SELECT codimp"));
    Query_Jolly->SQL.Add(QStringLiteral("FROM QMarc80"));
    Query_Jolly->SQL.Add(
        QStringLiteral("WHERE (flag = \"O\" and dayofweek = \"X\" and datefull < :datefull)"));
    Query_Jolly->ParamByName(QStringLiteral("datefull")).SetAsDate(Today());
    Query_Jolly->Open();
    const bool due = Query_Jolly->RecordCount() > 0;
    Query_Jolly->Close();
    if (!due)
        return;
    Query_Jolly->SQL.Clear();
    Query_Jolly->SQL.Add(QStringLiteral("DELETE"));
    Query_Jolly->SQL.Add(QStringLiteral("FROM QMarc80"));
    Query_Jolly->SQL.Add(
        QStringLiteral("WHERE (dayofweek = \"X\" and flag = \"O\" and datefull < :datefull)"));
    Query_Jolly->ParamByName(QStringLiteral("datefull")).SetAsDate(Today());
    Query_Jolly->ExecSQL();
}

void TMainForm::ShowZodiacAndSeason() {
    const QString d = FormatDateTime(QStringLiteral("mmdd"), DateTimePickerTODAY->date());
    ShowBound(Label_Segno, d, {"", "", " Capricorn", "Capricorn\rfrom 22 December to 20 January"},
              {{"0321", "0420", " Aries", "Aries\rfrom 21 March to 20 April"},
               {"0421", "0520", " Taurus", "Taurus\rfrom 21 April to 20 May"},
               {"0521", "0621", " Gemini", "Gemini\rfrom 21 May to 21 June"},
               {"0622", "0722", " Cancer", "Cancer\rfrom 22 June to 22 July"},
               {"0723", "0823", " Leo", "Leo\rfrom 23 July to 23 August"},
               {"0824", "0922", " Virgo", "Virgo\rfrom 24 August to 22 September"},
               {"0923", "1022", " Libra", "Libra\rfrom 23 September to 22 October"},
               {"1023", "1122", " Scorpio", "Scorpio\rfrom 23 October to 22 November"},
               {"1123", "1221", " Sagittarius", "Sagittarius\rfrom 23 November to 21 December"},
               {"0121", "0219", " Aquarius", "Aquarius\rfrom 21 January to 19 February"},
               {"0220", "0320", " Pisces", "Pisces\rfrom 20 February to 20 March"}});
    ShowBound(Label_Stagione, d, {"", "", " Winter", "Winter\rfrom 22 December to 20 March"},
              {{"0321", "0620", " Spring", "Spring\rfrom 21 March to 20 June"},
               {"0621", "0922", " Summer", "Summer\rfrom 21 June to 22 September"},
               {"0923", "1221", " Autumn", "Autumn\rfrom 23 September to 21 December"}});
}

} // namespace qm
