#include "exchange/ICalendar.h"

#include "engine/EngineError.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "platform/Clock.h"
#include "platform/SafeFile.h"
#include "store/AppointmentRow.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>
#include <libical/ical.h>
#include <memory>
#include <vector>

namespace qm {

namespace {

constexpr int kColumnLength = 255;
// Bounds that keep any file from running long: occurrences followed per event and per file, and
// one-shot entries made of one event.
constexpr int kStepsPerEvent = 50000;
constexpr qint64 kStepsPerFile = 500000;
constexpr int kEntriesPerEvent = 1000;

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
struct IteratorDeleter {
    void operator()(icalrecur_iterator* i) const { icalrecur_iterator_free(i); }
};

const QString kCountOrUntil = QStringLiteral("ending after a number of times or on a date");
const QString kInterval = QStringLiteral("repeating every second (or further) day, week, month or year");
const QString kPositional =
    QStringLiteral("falling on a weekday of the month or year (the second Tuesday, the last Friday)");
const QString kOften = QStringLiteral("repeating daily or more often");
const QString kExceptions = QStringLiteral("having exceptions or extra dates");
const QString kSeveralDays = QStringLiteral("lasting several days");
const QString kOtherRule = QStringLiteral("repeating in a way none of the program's kinds does");
const QString kZoneDay = QStringLiteral("in a time zone that puts them on another day here");
const QString kZoneClock = QStringLiteral("in a time zone whose clock changes on other dates than here");

// A moment as the program keeps it: a local date and, unless the event lasts whole days, a time.
struct Local {
    QDate date;
    QTime time;
    QDateTime moment; // for timed events, to measure lengths
};

Local ToLocal(icaltimetype t) {
    Local local;
    if (icaltime_is_null_time(t))
        return local;
    if (t.is_date) {
        local.date = QDate(t.year, t.month, t.day);
        return local;
    }
    const icaltimezone* zone = icaltime_get_timezone(t);
    if (zone || icaltime_is_utc(t)) {
        const icaltimezone* from = zone ? zone : icaltimezone_get_utc_timezone();
        const time_t seconds = icaltime_as_timet_with_zone(t, from);
        local.moment = QDateTime::fromSecsSinceEpoch(qint64(seconds)).toLocalTime();
    } else {
        // Floating: the clock time wherever it is read.
        local.moment = QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    }
    local.date = local.moment.date();
    local.time = QTime(local.moment.time().hour(), local.moment.time().minute());
    return local;
}

QString TextOf(const char* text) {
    return text ? QString::fromUtf8(text) : QString();
}

bool ArrayEmpty(const short* values) {
    return values[0] == ICAL_RECURRENCE_ARRAY_MAX;
}

QList<short> ArrayValues(const short* values, int size) {
    QList<short> list;
    for (int i = 0; i < size && values[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
        list << values[i];
    return list;
}

// One event read from the file, in local terms.
struct Event {
    icalcomponent* component = nullptr;
    QString title;
    QString note;
    bool shortened = false;
    icaltimetype start{};
    icaltimetype end{};
    Local localStart;
    Local localEnd;
    bool allDay = false;
    qint64 lengthSeconds = 0; // timed events
    int days = 1;             // the days it covers
};

class Importer {
public:
    explicit Importer(IcsImportSummary& summary) : m_summary(summary) {
        m_windowStart = Today();
        m_windowEnd = m_windowStart.addYears(1);
    }

    // The rows to add, in file order.
    std::vector<TAppointmentRow> Rows;

    void ReadCalendar(icalcomponent* calendar);

private:
    void ReadEvent(icalcomponent* component);
    bool ReadTimes(Event& event);
    std::optional<QString> ExactKind(const Event& event, const icalrecurrencetype& rule, QString* why);
    void AddKindRows(const Event& event, const icalrecurrencetype& rule, int dayShift);
    void AddOneShots(const Event& event, const Local& start);
    void AddRow(TAppointmentRow row, const Event& event, const Local& start);
    std::vector<icaltimetype> Occurrences(const Event& event, bool* cut);
    void Skip(const QString& why, int count = 1) { m_summary.skipped[why] += count; }

    IcsImportSummary& m_summary;
    QDate m_windowStart;
    QDate m_windowEnd;
    qint64 m_steps = 0;
    QHash<QString, QList<icaltimetype>> m_overridden; // UID -> RECURRENCE-IDs in the file
    QSet<QString> m_recurring;                        // UIDs of the events they belong to
};

void Importer::ReadCalendar(icalcomponent* calendar) {
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        if (icalcomponent_get_first_property(c, ICAL_RECURRENCEID_PROPERTY))
            m_overridden[TextOf(icalcomponent_get_uid(c))] << icalcomponent_get_recurrenceid(c);
        else if (icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY) ||
                 icalcomponent_get_first_property(c, ICAL_RDATE_PROPERTY))
            m_recurring.insert(TextOf(icalcomponent_get_uid(c)));
    for (icalcomponent* c = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); c;
         c = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        ReadEvent(c);
    for (icalcomponent_kind kind : {ICAL_VTODO_COMPONENT, ICAL_VJOURNAL_COMPONENT})
        for (icalcomponent* c = icalcomponent_get_first_component(calendar, kind); c;
             c = icalcomponent_get_next_component(calendar, kind))
            Skip(QStringLiteral("a to-do or journal entry, not an event"));
}

bool Importer::ReadTimes(Event& event) {
    event.start = icalcomponent_get_dtstart(event.component);
    if (icaltime_is_null_time(event.start))
        return false;
    event.allDay = event.start.is_date;
    event.localStart = ToLocal(event.start);
    if (!event.localStart.date.isValid())
        return false;
    // Without DTEND or DURATION a timed event has no end time (libical would give its start).
    const bool hasEnd = icalcomponent_get_first_property(event.component, ICAL_DTEND_PROPERTY) ||
                        icalcomponent_get_first_property(event.component, ICAL_DURATION_PROPERTY);
    event.end = hasEnd ? icalcomponent_get_dtend(event.component) : icaltime_null_time();
    if (!icaltime_is_null_time(event.end))
        event.localEnd = ToLocal(event.end);
    if (event.allDay) {
        if (event.localEnd.date.isValid())
            event.days =
                int(qBound(qint64(1), event.localStart.date.daysTo(event.localEnd.date), qint64(100000)));
    } else if (event.localEnd.moment.isValid()) {
        event.lengthSeconds = qMax<qint64>(0, event.localStart.moment.secsTo(event.localEnd.moment));
        // Past midnight but shorter than a day is one entry whose end is the next morning's.
        if (event.lengthSeconds >= 24 * 3600)
            event.days = int(qMin(event.localStart.date.daysTo(event.localEnd.date) + 1, qint64(100000)));
    }
    return true;
}

void Importer::ReadEvent(icalcomponent* component) {
    Event event;
    event.component = component;
    if (icalcomponent_get_status(component) == ICAL_STATUS_CANCELLED) {
        Skip(QStringLiteral("cancelled"));
        return;
    }
    if (!ReadTimes(event)) {
        Skip(QStringLiteral("no start date"));
        return;
    }
    // A title is one line; the columns hold 255 characters.
    event.title = TextOf(icalcomponent_get_summary(component)).simplified();
    event.note = TextOf(icalcomponent_get_description(component));
    const QString location = TextOf(icalcomponent_get_location(component)).trimmed();
    if (!location.isEmpty())
        event.note += (event.note.isEmpty() ? QString() : QStringLiteral("\n")) + location;
    event.note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    event.note.replace(u'\r', u'\n');
    if (event.title.isEmpty())
        event.title = DefaultAppointmentTitle();
    if (event.title.size() > kColumnLength || event.note.size() > kColumnLength) {
        event.shortened = true;
        event.title.truncate(kColumnLength);
        event.note.truncate(kColumnLength);
    }

    const bool isOverride = icalcomponent_get_first_property(component, ICAL_RECURRENCEID_PROPERTY);
    int rules = 0;
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_RRULE_PROPERTY))
        ++rules;
    const bool extraDates = icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY) ||
                            icalcomponent_get_first_property(component, ICAL_EXDATE_PROPERTY) ||
                            (!isOverride && m_overridden.contains(TextOf(icalcomponent_get_uid(component))));
    // A moved occurrence of a repetition counts, like the others, from today to a year ahead.
    if (isOverride && m_recurring.contains(TextOf(icalcomponent_get_uid(component))) &&
        (event.localStart.date.addDays(event.days - 1) < m_windowStart ||
         event.localStart.date > m_windowEnd)) {
        Skip(QStringLiteral("no occurrence from today to a year ahead"));
        return;
    }
    if (rules == 0 && !icalcomponent_get_first_property(component, ICAL_RDATE_PROPERTY)) {
        if (event.days > 1)
            ++m_summary.madeOneShot[kSeveralDays];
        AddOneShots(event, event.localStart);
        return;
    }

    QString why;
    if (rules == 1 && !extraDates) {
        const icalrecurrencetype rule =
            icalproperty_get_rrule(icalcomponent_get_first_property(component, ICAL_RRULE_PROPERTY));
        if (event.days > 1) {
            why = kSeveralDays;
        } else if (const std::optional<QString> kind = ExactKind(event, rule, &why)) {
            // How many days the local date stands from the event's own: the weekdays move with it.
            int shift = 0;
            bool steady = true;
            if (!event.allDay && (icaltime_get_timezone(event.start) || icaltime_is_utc(event.start))) {
                bool cut = false;
                const Local first = event.localStart;
                const QDate own(event.start.year, event.start.month, event.start.day);
                shift = int(own.daysTo(first.date));
                for (const icaltimetype& t : Occurrences(event, &cut)) {
                    const Local l = ToLocal(t);
                    if (l.time != first.time || QDate(t.year, t.month, t.day).daysTo(l.date) != shift)
                        steady = false;
                }
                if (!steady)
                    why = kZoneClock;
                else if (shift != 0 && *kind != QLatin1String("W") && *kind != QLatin1String("T"))
                    why = kZoneDay, steady = false;
            }
            if (steady) {
                AddKindRows(event, rule, shift);
                return;
            }
        }
    } else if (rules > 1) {
        why = kOtherRule;
    } else {
        why = kExceptions;
    }

    bool cut = false;
    const std::vector<icaltimetype> occurrences = Occurrences(event, &cut);
    if (cut)
        Skip(QStringLiteral("repetitions not followed to their end (too many in the file)"));
    if (occurrences.empty()) {
        Skip(QStringLiteral("no occurrence from today to a year ahead"));
        return;
    }
    ++m_summary.madeOneShot[why];
    int entries = 0;
    for (const icaltimetype& t : occurrences) {
        if (entries >= kEntriesPerEvent) {
            Skip(QStringLiteral("events with more than 1000 occurrences: the first 1000 were added"));
            break;
        }
        AddOneShots(event, ToLocal(t));
        ++entries;
    }
}

// The kind whose entries repeat exactly as `rule` does, if any; else `why` says what stands in the way.
std::optional<QString> Importer::ExactKind(const Event& event, const icalrecurrencetype& rule, QString* why) {
    if (rule.count > 0 || !icaltime_is_null_time(rule.until)) {
        *why = kCountOrUntil;
        return std::nullopt;
    }
    if (rule.interval > 1) {
        *why = kInterval;
        return std::nullopt;
    }
    if (!ArrayEmpty(rule.by_set_pos)) {
        *why = kPositional;
        return std::nullopt;
    }
    for (const short day : ArrayValues(rule.by_day, ICAL_BY_DAY_SIZE))
        if (icalrecurrencetype_day_position(day) != 0) {
            *why = kPositional;
            return std::nullopt;
        }
    const bool fineParts = ArrayEmpty(rule.by_second) && ArrayEmpty(rule.by_minute) &&
                           ArrayEmpty(rule.by_hour) && ArrayEmpty(rule.by_year_day) &&
                           ArrayEmpty(rule.by_week_no) && rule.rscale == nullptr;
    *why = kOtherRule;
    if (!fineParts)
        return std::nullopt;
    const QList<short> monthDays = ArrayValues(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
    const QList<short> months = ArrayValues(rule.by_month, ICAL_BY_MONTH_SIZE);
    const bool positiveDays = std::all_of(monthDays.begin(), monthDays.end(), [](short d) { return d > 0; });
    switch (rule.freq) {
    case ICAL_WEEKLY_RECURRENCE:
        if (monthDays.isEmpty() && months.isEmpty())
            return QStringLiteral("W");
        break;
    case ICAL_MONTHLY_RECURRENCE:
        if (ArrayEmpty(rule.by_day) && months.isEmpty() && positiveDays)
            return QStringLiteral("M");
        break;
    case ICAL_YEARLY_RECURRENCE:
        if (ArrayEmpty(rule.by_day) && months.size() <= 1 && monthDays.size() <= 1 && positiveDays &&
            (monthDays.isEmpty() ||
             QDate::isValid(2000, months.value(0, short(event.start.month)), monthDays.value(0))))
            return QStringLiteral("Y");
        break;
    case ICAL_DAILY_RECURRENCE:
        // Every day is a one-shot entry marked to show every day.
        if (ArrayEmpty(rule.by_day) && months.isEmpty() && monthDays.isEmpty())
            return QStringLiteral("T");
        *why = kOften;
        break;
    case ICAL_HOURLY_RECURRENCE:
    case ICAL_MINUTELY_RECURRENCE:
    case ICAL_SECONDLY_RECURRENCE:
        *why = kOften;
        break;
    default:
        break;
    }
    return std::nullopt;
}

template <typename Match> QDate FirstOnOrAfter(const QDate& from, int days, Match matches) {
    for (int i = 0; i < days; ++i)
        if (matches(from.addDays(i)))
            return from.addDays(i);
    return QDate();
}

void Importer::AddKindRows(const Event& event, const icalrecurrencetype& rule, int dayShift) {
    const QDate from = event.localStart.date;
    const QDate own(event.start.year, event.start.month, event.start.day);
    switch (rule.freq) {
    case ICAL_WEEKLY_RECURRENCE: {
        QList<int> weekdays; // Qt's numbers, 1 Monday
        for (const short day : ArrayValues(rule.by_day, ICAL_BY_DAY_SIZE)) {
            // libical counts from Sunday = 1.
            const int sundayFirst = int(icalrecurrencetype_day_day_of_week(day));
            const int weekday = (sundayFirst + 5) % 7 + 1;
            if (!weekdays.contains(weekday))
                weekdays << weekday;
        }
        if (weekdays.isEmpty())
            weekdays << own.dayOfWeek();
        for (const int weekday : weekdays) {
            const int local = ((weekday - 1 + dayShift) % 7 + 7) % 7 + 1;
            const QDate date =
                FirstOnOrAfter(from, 7, [local](const QDate& d) { return d.dayOfWeek() == local; });
            AddRow(AppointmentOn(QStringLiteral("W"), date), event, event.localStart);
            ++m_summary.weekly;
        }
        return;
    }
    case ICAL_MONTHLY_RECURRENCE: {
        QList<short> days = ArrayValues(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE);
        if (days.isEmpty())
            days << short(own.day());
        for (const short day : days) {
            const QDate date = FirstOnOrAfter(from, 400, [day](const QDate& d) { return d.day() == day; });
            if (!date.isValid())
                continue;
            AddRow(AppointmentOn(QStringLiteral("M"), date), event, event.localStart);
            ++m_summary.monthly;
        }
        return;
    }
    case ICAL_DAILY_RECURRENCE: {
        TAppointmentRow row = AppointmentOn(QStringLiteral("O"), from);
        row.dayofweek = QStringLiteral("T");
        AddRow(row, event, event.localStart);
        ++m_summary.oneShot;
        return;
    }
    default: {
        const int month = ArrayValues(rule.by_month, ICAL_BY_MONTH_SIZE).value(0, short(own.month()));
        const int day = ArrayValues(rule.by_month_day, ICAL_BY_MONTHDAY_SIZE).value(0, short(own.day()));
        const QDate date = FirstOnOrAfter(
            from, 366 * 8 + 2, [month, day](const QDate& d) { return d.month() == month && d.day() == day; });
        if (!date.isValid()) {
            Skip(kOtherRule);
            return;
        }
        AddRow(AppointmentOn(QStringLiteral("Y"), date), event, event.localStart);
        ++m_summary.yearly;
        return;
    }
    }
}

// The entry or entries of one occurrence starting at `start`: one a day it covers.
void Importer::AddOneShots(const Event& event, const Local& start) {
    for (int d = 0; d < event.days; ++d) {
        if (d == kEntriesPerEvent) {
            Skip(QStringLiteral("days past the first 1000 of one event"), event.days - d);
            return;
        }
        Local day = start;
        day.date = start.date.addDays(d);
        TAppointmentRow row = AppointmentOn(QStringLiteral("O"), day.date);
        if (event.days > 1 && !event.allDay) {
            // The first day from the start time, the last until the end time, the others whole.
            const bool first = d == 0;
            const bool last = d == event.days - 1;
            row.id = event.title;
            row.note = event.note;
            const QTime end = start.moment.addSecs(event.lengthSeconds).time();
            row.orario = StoredTime(first ? start.time : QTime());
            row.orario2 = StoredTime(last ? QTime(end.hour(), end.minute()) : QTime());
            Rows.push_back(row);
            if (event.shortened)
                ++m_summary.shortened;
            ++m_summary.oneShot;
            continue;
        }
        AddRow(row, event, day);
        ++m_summary.oneShot;
    }
}

void Importer::AddRow(TAppointmentRow row, const Event& event, const Local& start) {
    row.id = event.title;
    row.note = event.note;
    if (!event.allDay) {
        row.orario = StoredTime(start.time);
        if (event.localEnd.moment.isValid()) {
            const QDateTime end =
                start.moment.isValid() ? start.moment.addSecs(event.lengthSeconds) : event.localEnd.moment;
            row.orario2 = StoredTime(QTime(end.time().hour(), end.time().minute()));
        }
    }
    if (event.shortened)
        ++m_summary.shortened;
    Rows.push_back(row);
}

// The starts of the event's occurrences from today to a year ahead (local dates), in order.
std::vector<icaltimetype> Importer::Occurrences(const Event& event, bool* cut) {
    std::vector<icaltimetype> found;
    const icaltimezone* zone = icaltime_get_timezone(event.start);
    QList<icaltimetype> excluded = m_overridden.value(TextOf(icalcomponent_get_uid(event.component)));
    for (icalproperty* p = icalcomponent_get_first_property(event.component, ICAL_EXDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event.component, ICAL_EXDATE_PROPERTY))
        excluded << icalproperty_get_exdate(p);
    const auto isExcluded = [&excluded](const icaltimetype& t) {
        for (const icaltimetype& x : excluded)
            if (x.year == t.year && x.month == t.month && x.day == t.day &&
                (x.is_date || t.is_date || (x.hour == t.hour && x.minute == t.minute)))
                return true;
        return false;
    };
    const auto consider = [&](icaltimetype t) {
        t.is_date = event.start.is_date;
        if (zone)
            t = icaltime_set_timezone(&t, zone);
        if (isExcluded(t))
            return;
        const QDate date = ToLocal(t).date;
        // An occurrence that began before today but still runs today counts too.
        if (date.isValid() && date.addDays(event.days - 1) >= m_windowStart && date <= m_windowEnd)
            found.push_back(t);
    };

    consider(event.start);
    for (icalproperty* p = icalcomponent_get_first_property(event.component, ICAL_RDATE_PROPERTY); p;
         p = icalcomponent_get_next_property(event.component, ICAL_RDATE_PROPERTY)) {
        const icaldatetimeperiodtype rdate = icalproperty_get_rdate(p);
        if (!icaltime_is_null_time(rdate.time))
            consider(rdate.time);
        else if (!icaltime_is_null_time(rdate.period.start))
            consider(rdate.period.start);
    }
    for (icalproperty* p = icalcomponent_get_first_property(event.component, ICAL_RRULE_PROPERTY); p;
         p = icalcomponent_get_next_property(event.component, ICAL_RRULE_PROPERTY)) {
        const icalrecurrencetype rule = icalproperty_get_rrule(p);
        std::unique_ptr<icalrecur_iterator, IteratorDeleter> it(icalrecur_iterator_new(rule, event.start));
        if (!it)
            continue;
        if (rule.count == 0 && ToLocal(event.start).date < m_windowStart.addDays(-event.days - 1)) {
            // Straight to the days that matter, when no count needs the ones before.
            icaltimetype from = event.start;
            const QDate jump = m_windowStart.addDays(-event.days - 1);
            from.year = jump.year();
            from.month = jump.month();
            from.day = jump.day();
            icalrecur_iterator_set_start(it.get(), from);
        }
        for (int steps = 0;; ++steps) {
            if (steps >= kStepsPerEvent || ++m_steps > kStepsPerFile) {
                *cut = true;
                break;
            }
            const icaltimetype t = icalrecur_iterator_next(it.get());
            // One more than an event may give is enough to know that it gives too many.
            if (icaltime_is_null_time(t) || QDate(t.year, t.month, t.day) > m_windowEnd.addDays(2) ||
                int(found.size()) > kEntriesPerEvent)
                break;
            if (icaltime_compare(t, event.start) == 0)
                continue;
            consider(t);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const icaltimetype& a, const icaltimetype& b) { return icaltime_compare(a, b) < 0; });
    found.erase(
        std::unique(found.begin(), found.end(),
                    [](const icaltimetype& a, const icaltimetype& b) { return icaltime_compare(a, b) == 0; }),
        found.end());
    return found;
}

// The line (from 1) of the byte at `offset`.
int LineAt(const QByteArray& bytes, qsizetype offset) {
    return int(bytes.left(offset).count('\n')) + 1;
}

// What is wrong with the bytes before libical reads them; empty when nothing.
QString ByteProblem(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0)
        return QStringLiteral("line %1 holds a NUL character").arg(LineAt(bytes, nul));
    for (qsizetype cr = bytes.indexOf('\r'); cr >= 0; cr = bytes.indexOf('\r', cr + 1))
        if (cr + 1 >= bytes.size() || bytes[cr + 1] != '\n')
            return QStringLiteral("line %1 ends in a carriage return without a line feed")
                .arg(LineAt(bytes, cr));
    QByteArray head = bytes.left(64);
    if (head.startsWith("\xEF\xBB\xBF"))
        head.remove(0, 3);
    if (!head.trimmed().toUpper().startsWith("BEGIN:VCALENDAR"))
        return QStringLiteral("it is not an iCalendar file (it does not begin with BEGIN:VCALENDAR)");
    return QString();
}

bool IsDateValue(const QString& value) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(T(\\d{2})(\\d{2})(\\d{2})Z?)?$"));
    const QRegularExpressionMatch m = form.match(value);
    if (!m.hasMatch() || !QDate::isValid(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt()))
        return false;
    return m.captured(4).isEmpty() ||
           (m.captured(5).toInt() < 24 && m.captured(6).toInt() < 60 && m.captured(7).toInt() <= 60);
}

// libical reads a damaged date as some other date ("2026121X" as 1 December): the dates that
// place an event are checked as written first. Empty when they are all dates.
QString DateProblem(const QString& text) {
    static const QStringList named = {QStringLiteral("DTSTART"), QStringLiteral("DTEND"),
                                      QStringLiteral("RECURRENCE-ID"), QStringLiteral("EXDATE"),
                                      QStringLiteral("RDATE")};
    const QStringList physical = text.split(u'\n');
    for (int i = 0; i < physical.size();) {
        const int first = i;
        QString line = physical[i++];
        if (line.endsWith(u'\r'))
            line.chop(1);
        while (i < physical.size() && (physical[i].startsWith(u' ') || physical[i].startsWith(u'\t'))) {
            QString more = physical[i++].mid(1);
            if (more.endsWith(u'\r'))
                more.chop(1);
            line += more;
        }
        qsizetype nameEnd = 0;
        while (nameEnd < line.size() && line[nameEnd] != u';' && line[nameEnd] != u':')
            ++nameEnd;
        const QString name = line.left(nameEnd).trimmed().toUpper();
        const bool isRule = name == QLatin1String("RRULE");
        if (!isRule && !named.contains(name))
            continue;
        // The value begins at the first colon outside a quoted parameter.
        bool quoted = false;
        qsizetype colon = nameEnd;
        for (; colon < line.size(); ++colon) {
            if (line[colon] == u'"')
                quoted = !quoted;
            else if (line[colon] == u':' && !quoted)
                break;
        }
        const QString value = line.mid(colon + 1).trimmed();
        QStringList dates;
        if (isRule) {
            for (const QString& part : value.split(u';'))
                if (part.startsWith(QLatin1String("UNTIL="), Qt::CaseInsensitive))
                    dates << part.mid(6);
        } else if (line.left(colon).contains(QLatin1String("VALUE=PERIOD"), Qt::CaseInsensitive)) {
            for (const QString& period : value.split(u','))
                dates << period.section(u'/', 0, 0);
        } else {
            dates = value.split(u',');
        }
        for (const QString& date : dates)
            if (!IsDateValue(date.trimmed()))
                return QStringLiteral("line %1: \"%2\" in %3 is not a date").arg(first + 1).arg(date, name);
    }
    return QString();
}

// The first error libical noted while parsing, with the event it stands in.
// A broken component, or a broken property that places an event, damages the file; a property
// that libical does not know or cannot read and the program does not use (a newer standard's, a
// vendor's) is passed over, as other calendar programs do.
bool Damages(icalproperty* error, const QString& text) {
    const icalparameter* type = icalproperty_get_first_parameter(error, ICAL_XLICERRORTYPE_PARAMETER);
    if (type && icalparameter_get_xlicerrortype(type) == ICAL_XLICERRORTYPE_COMPONENTPARSEERROR)
        return true;
    for (const char* name : {"DTSTART", "DTEND", "DURATION", "RRULE", "RDATE", "EXDATE", "RECURRENCE-ID"})
        if (text.contains(QLatin1String(name), Qt::CaseInsensitive))
            return true;
    return false;
}

QString ParseProblem(icalcomponent* component) {
    for (icalproperty* p = icalcomponent_get_first_property(component, ICAL_XLICERROR_PROPERTY); p;
         p = icalcomponent_get_next_property(component, ICAL_XLICERROR_PROPERTY)) {
        QString text = TextOf(icalproperty_get_xlicerror(p));
        if (!Damages(p, text))
            continue;
        // libical puts its own source file and line before some of its messages.
        static const QRegularExpression sourcePlace(QStringLiteral("^\\S+\\.c:\\d+:\\s*"));
        text.remove(sourcePlace);
        const QString summary = TextOf(icalcomponent_get_summary(component));
        if (!summary.isEmpty())
            text += QStringLiteral(" (in the event \"%1\")").arg(summary);
        return text;
    }
    for (icalcomponent* c = icalcomponent_get_first_component(component, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(component, ICAL_ANY_COMPONENT)) {
        const QString problem = ParseProblem(c);
        if (!problem.isEmpty())
            return problem;
    }
    return QString();
}

// What makes two entries the same for an import: kind, title, the date column of the kind and times.
QString EntryKey(const QString& flag, const QString& id, const QString& orario, const QString& orario2,
                 const QString& day) {
    return QStringList{flag, id, orario, orario2, day}.join(QChar(0x1f));
}

QString EntryKey(const TAppointmentRow& row) {
    const QString day = row.flag == QLatin1String("W")   ? row.dayofweek
                        : row.flag == QLatin1String("M") ? row.dayofmonth
                        : row.flag == QLatin1String("Y") ? row.data
                                                         : row.datefull.toString(Qt::ISODate);
    return EntryKey(row.flag, row.id, row.orario, row.orario2, day);
}

// The keys of the entries the archive holds, read once, so that a large file is not checked
// against the table row by row.
QSet<QString> StoredKeys(TQuery& query) {
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(
        QStringLiteral("SELECT flag,id,orario,orario2,dayofweek,dayofmonth,data,datefull FROM QMarc80"));
    query.Open();
    QSet<QString> keys;
    for (int r = 0; r < query.RecordCount(); ++r) {
        const TRecord record(&query, r);
        const auto text = [&record](const char* field) {
            return record.FieldByName(QString::fromLatin1(field)).AsString();
        };
        const QString flag = text("flag");
        const QString day =
            flag == QLatin1String("W")   ? text("dayofweek")
            : flag == QLatin1String("M") ? text("dayofmonth")
            : flag == QLatin1String("Y")
                ? text("data")
                : record.FieldByName(QStringLiteral("datefull")).AsDate().toString(Qt::ISODate);
        keys.insert(EntryKey(flag, text("id"), text("orario"), text("orario2"), day));
    }
    query.Close();
    return keys;
}

} // namespace

QString IcsImportSummary::Text(const QString& fileName) const {
    const auto events = [](int n) {
        return QString::number(n) + (n == 1 ? QStringLiteral(" event") : QStringLiteral(" events"));
    };
    QStringList lines;
    lines << QStringLiteral("Calendar %1 imported: %2 %3 added.")
                 .arg(QDir::toNativeSeparators(fileName))
                 .arg(Added())
                 .arg(Added() == 1 ? QStringLiteral("entry") : QStringLiteral("entries"));
    lines << QStringLiteral("One Shot: %1, Weekly: %2, Monthly: %3, Yearly: %4.")
                 .arg(oneShot)
                 .arg(weekly)
                 .arg(monthly)
                 .arg(yearly);
    for (auto it = madeOneShot.cbegin(); it != madeOneShot.cend(); ++it)
        lines << QStringLiteral("One-shot entries were made of %1 %2.").arg(events(it.value()), it.key());
    for (auto it = skipped.cbegin(); it != skipped.cend(); ++it)
        lines << QStringLiteral("Not added: %1 (%2).").arg(it.value()).arg(it.key());
    if (shortened > 0)
        lines << QStringLiteral("Cut to the 255 characters a title or note holds: %1.").arg(shortened);
    return lines.join(u'\n');
}

bool ImportIcsFile(const QString& alias, const QString& fileName, IcsImportSummary* summary, QString* error) {
    *summary = IcsImportSummary();
    const QString shown = QDir::toNativeSeparators(fileName);
    const auto fail = [&](const QString& what) {
        *error = QStringLiteral("The calendar %1 cannot be imported: %2.").arg(shown, what);
        return false;
    };
    const QFileInfo info(fileName);
    if (info.exists() && info.isFile() && info.size() > kMaxIcsFileSize)
        return fail(QStringLiteral("it is larger than %1 MB").arg(kMaxIcsFileSize / (1024 * 1024)));
    QByteArray bytes;
    QString readError;
    if (!ReadFileWhole(fileName, &bytes, &readError)) {
        *error = readError;
        return false;
    }
    if (bytes.size() > kMaxIcsFileSize)
        return fail(QStringLiteral("it is larger than %1 MB").arg(kMaxIcsFileSize / (1024 * 1024)));
    const QString problem = ByteProblem(bytes);
    if (!problem.isEmpty())
        return fail(problem);
    // Files of old programs may be in a Windows code page rather than UTF-8.
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);

    const QString dateProblem = DateProblem(text);
    if (!dateProblem.isEmpty())
        return fail(dateProblem);
    std::unique_ptr<icalcomponent, ComponentDeleter> root(icalparser_parse_string(text.toUtf8().constData()));
    if (!root)
        return fail(QStringLiteral("it holds no calendar"));
    const QString parseProblem = ParseProblem(root.get());
    if (!parseProblem.isEmpty())
        return fail(parseProblem);
    QList<icalcomponent*> calendars;
    if (icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        calendars << root.get();
    } else {
        for (icalcomponent* c = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT); c;
             c = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            calendars << c;
    }
    if (calendars.isEmpty())
        return fail(QStringLiteral("it holds no VCALENDAR"));

    IcsImportSummary read;
    Importer importer(read);
    for (icalcomponent* calendar : calendars)
        importer.ReadCalendar(calendar);

    // The counts are of what is added: an entry the archive already holds is taken off its kind.
    Session& session = Session::Instance();
    const QString table = session.TableFile(alias, QStringLiteral("QMarc80"));
    TQuery query;
    query.DatabaseName = alias;
    IcsImportSummary done = read;
    try {
        session.InTransaction(table, [&] {
            done = read;
            QSet<QString> stored = StoredKeys(query);
            for (const TAppointmentRow& row : importer.Rows) {
                if (stored.contains(EntryKey(row))) {
                    ++done.skipped[QStringLiteral("already in the archive")];
                    int& count = row.flag == QLatin1String("W")   ? done.weekly
                                 : row.flag == QLatin1String("M") ? done.monthly
                                 : row.flag == QLatin1String("Y") ? done.yearly
                                                                  : done.oneShot;
                    --count;
                    continue;
                }
                InsertAppointment(query, row);
                stored.insert(EntryKey(row));
            }
        });
    } catch (const EngineError& engineError) {
        return fail(engineError.message());
    }
    *summary = done;
    return true;
}

} // namespace qm
