#include "exchange/ICalendar.h"

#include "engine/DataSetWalk.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/Clock.h"
#include "platform/DateFormat.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"

#include <QFileInfo>
#include <QUuid>
#include <libical/ical.h>
#include <memory>

namespace qm {

namespace {

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentDeleter>;

const char* const kByDay[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};

icaltimetype DateOf(const QDate& date) {
    icaltimetype t = icaltime_null_date();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    return t;
}

// A floating local time: the clock time wherever the calendar is read, as the program keeps it.
icaltimetype DateTimeOf(const QDate& date, const QTime& time) {
    icaltimetype t = icaltime_null_time();
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.is_date = 0;
    return t;
}

// The first day on or after `from` that `matches`, within `days`; `from` itself when none does.
template <typename Match> QDate FirstOnOrAfter(const QDate& from, int days, Match matches) {
    for (int i = 0; i < days; ++i)
        if (matches(from.addDays(i)))
            return from.addDays(i);
    return from;
}

// Qt's day number (1 Monday) of a stored long day name; 0 when it is none.
int WeekdayOfName(const QString& name) {
    const QStringList names = LongDayNamesMondayFirst();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

// The month and day of a stored "mm/dd", whatever the separator; {0, 0} when it is none.
std::pair<int, int> MonthDayOf(const QString& data) {
    if (data.size() != 5 || !data[0].isDigit() || !data[1].isDigit() || !data[3].isDigit() ||
        !data[4].isDigit())
        return {0, 0};
    const int month = data.left(2).toInt();
    const int day = data.mid(3, 2).toInt();
    if (!QDate::isValid(2000, month, day))
        return {0, 0};
    return {month, day};
}

// Notes keep their line breaks as LF, which libical writes escaped; a CR has no place in the text.
QByteArray TextValue(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(u'\r', u'\n');
    return text.toUtf8();
}

icalcomponent* EventOf(const TRecord& row, const QString& uidSeed, const icaltimetype& stamp) {
    const auto text = [&row](const char* field) {
        return row.FieldByName(QString::fromLatin1(field)).AsString();
    };
    const QString flag = text("flag").trimmed().toUpper();
    QDate stored = row.FieldByName(QStringLiteral("datefull")).AsDate();
    if (!stored.isValid())
        stored = Today();

    QDate first = stored;
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    bool recurs = true;
    if (flag == QLatin1String("W")) {
        int weekday = WeekdayOfName(text("dayofweek").trimmed());
        if (weekday == 0)
            weekday = stored.dayOfWeek();
        first = FirstOnOrAfter(stored, 7, [weekday](const QDate& d) { return d.dayOfWeek() == weekday; });
        rule.freq = ICAL_WEEKLY_RECURRENCE;
        rule.by_day[0] = short(weekday % 7 + 1); // libical counts from Sunday = 1
        rule.by_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    } else if (flag == QLatin1String("M")) {
        bool ok = false;
        int day = text("dayofmonth").trimmed().toInt(&ok);
        if (!ok || day < 1 || day > 31)
            day = stored.day();
        first = FirstOnOrAfter(stored, 366, [day](const QDate& d) { return d.day() == day; });
        rule.freq = ICAL_MONTHLY_RECURRENCE;
        rule.by_month_day[0] = short(day);
        rule.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    } else if (flag == QLatin1String("Y")) {
        auto [month, day] = MonthDayOf(text("data"));
        if (month == 0) {
            month = stored.month();
            day = stored.day();
        }
        // 29 February comes back once in four years, or eight across a century.
        first = FirstOnOrAfter(stored, 366 * 8 + 2,
                               [month, day](const QDate& d) { return d.month() == month && d.day() == day; });
        rule.freq = ICAL_YEARLY_RECURRENCE;
        rule.by_month[0] = short(month);
        rule.by_month[1] = ICAL_RECURRENCE_ARRAY_MAX;
        rule.by_month_day[0] = short(day);
        rule.by_month_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    } else if (text("dayofweek").trimmed() == QLatin1String("T")) {
        // "Torment me every day!": the entry stands in every day's list.
        rule.freq = ICAL_DAILY_RECURRENCE;
    } else {
        recurs = false;
    }

    const QString title = text("id");
    const QTime start = ParseShortTime(text("orario"));
    const QTime end = ParseShortTime(text("orario2"));
    icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
    const QByteArray uid = QStringLiteral("qm-%1-%2@quellmire")
                               .arg(row.FieldByName(QStringLiteral("codimp")).AsInteger())
                               .arg(uidSeed)
                               .toUtf8();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.constData()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    if (start.isValid()) {
        icalcomponent_add_property(event, icalproperty_new_dtstart(DateTimeOf(first, start)));
        // An end before the start is the next morning's; one at the start is none (RFC 5545 wants
        // the end later, and calendar programs refuse such an event).
        if (end.isValid() && end != start)
            icalcomponent_add_property(
                event, icalproperty_new_dtend(DateTimeOf(end < start ? first.addDays(1) : first, end)));
    } else {
        icalcomponent_add_property(event, icalproperty_new_dtstart(DateOf(first)));
        icalcomponent_add_property(event, icalproperty_new_dtend(DateOf(first.addDays(1))));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    }
    if (recurs)
        icalcomponent_add_property(event, icalproperty_new_rrule(rule));
    icalcomponent_add_property(event, icalproperty_new_summary(TextValue(title).constData()));
    const QString note = text("note");
    if (!note.isEmpty())
        icalcomponent_add_property(event, icalproperty_new_description(TextValue(note).constData()));
    if (start.isValid()) {
        icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
        icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
        icaltriggertype trigger;
        trigger.time = icaltime_null_time();
        trigger.duration = icaldurationtype_null_duration();
        icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
        icalcomponent_add_property(alarm, icalproperty_new_description(TextValue(title).constData()));
        icalcomponent_add_component(event, alarm);
    }
    return event;
}

} // namespace

QString CalendarUidSeed(const QString& archiveFolder) {
    const QString file = JoinPath(archiveFolder, QStringLiteral("CalendarId.txt"));
    const QStringList lines = LoadTextLines(file);
    if (!lines.isEmpty() && !lines.first().trimmed().isEmpty())
        return lines.first().trimmed();
    const QString seed = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // Without the file the UIDs still hold for this export; the next one makes new ones.
    SaveTextLines(file, {seed});
    return seed;
}

bool ExportAppointmentsToIcs(TQuery& rows, const QString& fileName, const QString& uidSeed, int* written,
                             QString* error) {
    *written = 0;
    DataSetWalk walk(rows);
    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid("-//Quellmire Organizer//EN"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    const QDateTime now = Now().toUTC();
    icaltimetype stamp = DateTimeOf(now.date(), now.time());
    stamp.second = now.time().second();
    stamp = icaltime_set_timezone(&stamp, icaltimezone_get_utc_timezone());
    for (int r = 0; r < rows.RecordCount(); ++r) {
        icalcomponent_add_component(calendar.get(), EventOf(TRecord(&rows, r), uidSeed, stamp));
        ++*written;
    }
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    const QByteArray bytes(text);
    free(text);
    return WriteFileAtomically(fileName, bytes, error);
}

bool ExportAllAppointmentsToIcsFile(const QString& alias, const QString& fileName, int* written,
                                    QString* error) {
    TQuery rows;
    rows.DatabaseName = alias;
    rows.SQL.Add(QStringLiteral("SELECT * FROM QMarc80 ORDER BY flag,datefull,orario,orario2,id,note"));
    rows.Open();
    return ExportAppointmentsToIcs(rows, fileName, CalendarUidSeed(Session::Instance().AliasFolder(alias)),
                                   written, error);
}

} // namespace qm
