#include "DateFormat.h"

#include <QLocale>
#include <optional>

namespace qm {

namespace {

// What the formatter needs from the locale, in our own format letters.
struct FormatSettings {
    QLocale locale;
    QChar dateSeparator;
    QChar timeSeparator;
    QString shortDateFormat;
    QString longDateFormat;
    QString shortTimeFormat;
    QString longTimeFormat;
    QString amText;
    QString pmText;
    QStringList shortDayNames; // [0] Sunday
    QStringList longDayNames;
    QStringList shortMonthNames; // [0] January
    QStringList longMonthNames;
};

bool IsAsciiLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

QChar AsciiUpper(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') ? QChar(char16_t(u - 'a' + 'A')) : c;
}

// The first punctuation character of a locale pattern: "/" in "M/d/yy", "." in "dd.MM.yy".
QChar SeparatorOf(const QString& pattern, QChar fallback) {
    bool quoted = false;
    for (const QChar c : pattern) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && !c.isLetterOrNumber() && !c.isSpace())
            return c;
    }
    return fallback;
}

QString QuoteLiteral(const QString& text) {
    if (text.isEmpty())
        return {};
    if (!text.contains(u'"'))
        return u'"' + text + u'"';
    if (!text.contains(u'\''))
        return u'\'' + text + u'\'';
    QString plain = text;
    plain.remove(u'\'');
    return QuoteLiteral(plain);
}

// Rewrites a Qt locale pattern ("h:mm:ss AP t") in our letters ("h:nn:ss ampm"). Qt's "m" is
// always minutes, so it becomes "n" to stay minutes whatever precedes it. The time zone has no
// letter of ours and is left out.
QString FromQtPattern(const QString& pattern, bool fourDigitYear) {
    QString out;
    const qsizetype n = pattern.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = pattern[i];
        if (c == u'\'') {
            QString literal;
            ++i;
            if (i < n && pattern[i] == u'\'') {
                literal = QStringLiteral("'");
                ++i;
            } else {
                while (i < n) {
                    if (pattern[i] == u'\'') {
                        if (i + 1 < n && pattern[i + 1] == u'\'') {
                            literal += u'\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    literal += pattern[i++];
                }
            }
            out += QuoteLiteral(literal);
            continue;
        }
        qsizetype count = 1;
        while (i + count < n && pattern[i + count] == c)
            ++count;
        const int capped2 = int(std::min<qsizetype>(count, 2));
        switch (c.unicode()) {
        case u'd':
            out += QString(std::min<qsizetype>(count, 4), u'd');
            break;
        case u'M':
            out += QString(std::min<qsizetype>(count, 4), u'm');
            break;
        case u'y':
            out += (count <= 2 && !fourDigitYear) ? QStringLiteral("yy") : QStringLiteral("yyyy");
            break;
        case u'h':
        case u'H':
            out += QString(capped2, u'h');
            break;
        case u'm':
            out += QString(capped2, u'n');
            break;
        case u's':
            out += QString(capped2, u's');
            break;
        case u'z':
            out += count >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
            break;
        case u'a':
        case u'A':
            count = 1;
            if (i + 1 < n && (pattern[i + 1] == u'p' || pattern[i + 1] == u'P'))
                count = 2;
            out += QStringLiteral("ampm");
            break;
        case u't':
            break;
        default:
            if (IsAsciiLetter(c))
                out += QuoteLiteral(QString(count, c));
            else
                out += QString(count, c);
        }
        i += count;
    }
    return out.trimmed();
}

FormatSettings MakeSettings(const QLocale& locale) {
    FormatSettings s;
    s.locale = locale;
    const bool cLocale = locale.language() == QLocale::C;
    s.dateSeparator = cLocale ? QChar(u'/') : SeparatorOf(locale.dateFormat(QLocale::ShortFormat), u'/');
    s.timeSeparator = cLocale ? QChar(u':') : SeparatorOf(locale.timeFormat(QLocale::ShortFormat), u':');
    // Short dates keep four-digit years so that a stored date never loses its century.
    s.shortDateFormat = FromQtPattern(locale.dateFormat(QLocale::ShortFormat), true);
    s.longDateFormat = FromQtPattern(locale.dateFormat(QLocale::LongFormat), false);
    s.shortTimeFormat = FromQtPattern(locale.timeFormat(QLocale::ShortFormat), false);
    s.longTimeFormat = FromQtPattern(locale.timeFormat(QLocale::LongFormat), false);
    s.amText = locale.amText();
    s.pmText = locale.pmText();
    for (int qtDay : {7, 1, 2, 3, 4, 5, 6}) {
        s.shortDayNames << locale.dayName(qtDay, QLocale::ShortFormat);
        s.longDayNames << locale.dayName(qtDay, QLocale::LongFormat);
    }
    for (int month = 1; month <= 12; ++month) {
        s.shortMonthNames << locale.monthName(month, QLocale::ShortFormat);
        s.longMonthNames << locale.monthName(month, QLocale::LongFormat);
    }
    return s;
}

const FormatSettings& CurrentSettings() {
    thread_local std::optional<FormatSettings> cached;
    const QLocale locale;
    if (!cached || cached->locale != locale)
        cached = MakeSettings(locale);
    return *cached;
}

void AppendNumber(QString& out, int value, int digits) {
    out += QStringLiteral("%1").arg(value, digits, 10, QLatin1Char('0'));
}

bool StartsWithCI(const QString& text, qsizetype at, QLatin1StringView what) {
    return QStringView(text).mid(at).startsWith(what, Qt::CaseInsensitive);
}

class Formatter {
public:
    Formatter(const QDate& date, const QTime& time, const FormatSettings& settings)
        : date_(date), time_(time), s_(settings) {}

    QString Run(const QString& format) {
        // The class library gives an empty format the date and time form.
        Append(format.isEmpty() ? QStringLiteral("c") : format);
        return out_;
    }

private:
    int DayIndexSundayFirst() const { return DayOfWeekSundayFirst(date_) - 1; }

    // Follows the class library: nested formats ("ddddd", "c", "t") go one level deep at most, and
    // the 12-hour clock, once switched on in a format, stays on for the rest of it.
    void Append(const QString& format) {
        if (level_ >= 2)
            return;
        ++level_;
        QChar lastToken = u' ';
        bool use12HourClock = false;
        const qsizetype n = format.size();
        qsizetype i = 0;
        while (i < n) {
            const QChar starter = format[i++];
            QChar token = AsciiUpper(starter);
            if (IsAsciiLetter(starter)) {
                if (token == u'M' && lastToken == u'H')
                    token = u'N';
                lastToken = token;
            }
            auto getCount = [&] {
                int count = 1;
                while (i < n && format[i] == starter) {
                    ++i;
                    ++count;
                }
                return count;
            };
            switch (token.unicode()) {
            case u'Y': {
                const int count = getCount();
                if (count <= 2)
                    AppendNumber(out_, date_.year() % 100, 2);
                else
                    AppendNumber(out_, date_.year(), 4);
                break;
            }
            case u'M': {
                const int count = getCount();
                if (count <= 2)
                    AppendNumber(out_, date_.month(), count);
                else if (count == 3)
                    out_ += s_.shortMonthNames.at(date_.month() - 1);
                else
                    out_ += s_.longMonthNames.at(date_.month() - 1);
                break;
            }
            case u'D': {
                const int count = getCount();
                if (count <= 2)
                    AppendNumber(out_, date_.day(), count);
                else if (count == 3)
                    out_ += s_.shortDayNames.at(DayIndexSundayFirst());
                else if (count == 4)
                    out_ += s_.longDayNames.at(DayIndexSundayFirst());
                else if (count == 5)
                    Append(s_.shortDateFormat);
                else
                    Append(s_.longDateFormat);
                break;
            }
            case u'H': {
                const int count = std::min(getCount(), 2);
                // An am/pm marker later in the format (before the next hour) makes this a 12-hour
                // clock. Quotes of either kind toggle, and an "h" stops the search even inside them.
                bool betweenQuotes = false;
                for (qsizetype p = i; p < n; ++p) {
                    const QChar c = format[p];
                    if (c == u'a' || c == u'A') {
                        if (betweenQuotes)
                            continue;
                        if (StartsWithCI(format, p, QLatin1StringView("am/pm")) ||
                            StartsWithCI(format, p, QLatin1StringView("a/p")) ||
                            StartsWithCI(format, p, QLatin1StringView("ampm")))
                            use12HourClock = true;
                        break;
                    }
                    if (c == u'h' || c == u'H')
                        break;
                    if (c == u'\'' || c == u'"')
                        betweenQuotes = !betweenQuotes;
                }
                int hour = time_.hour();
                if (use12HourClock) {
                    if (hour == 0)
                        hour = 12;
                    else if (hour > 12)
                        hour -= 12;
                }
                AppendNumber(out_, hour, count);
                break;
            }
            case u'N':
                AppendNumber(out_, time_.minute(), std::min(getCount(), 2));
                break;
            case u'S':
                AppendNumber(out_, time_.second(), std::min(getCount(), 2));
                break;
            case u'Z':
                AppendNumber(out_, time_.msec(), std::min(getCount(), 3));
                break;
            case u'T':
                Append(getCount() == 1 ? s_.shortTimeFormat : s_.longTimeFormat);
                break;
            case u'A': {
                const qsizetype at = i - 1;
                const bool afternoon = time_.hour() >= 12;
                if (StartsWithCI(format, at, QLatin1StringView("am/pm"))) {
                    // The marker is copied from the format, so its case is the format's.
                    out_ += format.mid(afternoon ? at + 3 : at, 2);
                    i = at + 5;
                    use12HourClock = true;
                } else if (StartsWithCI(format, at, QLatin1StringView("a/p"))) {
                    out_ += format.mid(afternoon ? at + 2 : at, 1);
                    i = at + 3;
                    use12HourClock = true;
                } else if (StartsWithCI(format, at, QLatin1StringView("ampm"))) {
                    out_ += afternoon ? s_.pmText : s_.amText;
                    i = at + 4;
                    use12HourClock = true;
                } else if (StartsWithCI(format, at, QLatin1StringView("aaaa"))) {
                    out_ += s_.longDayNames.at(DayIndexSundayFirst());
                    i = at + 4;
                } else if (StartsWithCI(format, at, QLatin1StringView("aaa"))) {
                    out_ += s_.shortDayNames.at(DayIndexSundayFirst());
                    i = at + 3;
                } else {
                    out_ += starter;
                }
                break;
            }
            case u'C':
                getCount();
                Append(s_.shortDateFormat);
                if (time_ != QTime(0, 0)) {
                    out_ += u' ';
                    Append(s_.longTimeFormat);
                }
                break;
            case u'/':
                out_ += s_.dateSeparator;
                break;
            case u':':
                out_ += s_.timeSeparator;
                break;
            case u'\'':
            case u'"': {
                const qsizetype start = i;
                while (i < n && format[i] != starter)
                    ++i;
                out_ += QStringView(format).mid(start, i - start);
                if (i < n)
                    ++i;
                break;
            }
            default:
                out_ += starter;
            }
        }
        --level_;
    }

    QDate date_;
    QTime time_;
    const FormatSettings& s_;
    QString out_;
    int level_ = 0;
};

// The class library's day zero, which is what an empty date value shows as.
const QDate kZeroDate(1899, 12, 30);

} // namespace

QString FormatDateTime(const QString& format, const QDateTime& moment) {
    const QDate date = moment.date().isValid() ? moment.date() : kZeroDate;
    const QTime time = moment.time().isValid() ? moment.time() : QTime(0, 0);
    return Formatter(date, time, CurrentSettings()).Run(format);
}

QString FormatDateTime(const QString& format, const QDate& date) {
    return Formatter(date.isValid() ? date : kZeroDate, QTime(0, 0), CurrentSettings()).Run(format);
}

QChar DateSeparator() {
    return CurrentSettings().dateSeparator;
}

QChar TimeSeparator() {
    return CurrentSettings().timeSeparator;
}

QStringList LongDayNamesMondayFirst() {
    const QLocale locale;
    QStringList names;
    for (int day = 1; day <= 7; ++day)
        names << locale.dayName(day, QLocale::LongFormat);
    return names;
}

QStringList LongMonthNames() {
    return CurrentSettings().longMonthNames;
}

int DayOfWeekSundayFirst(const QDate& date) {
    return date.dayOfWeek() % 7 + 1;
}

QTime ParseShortTime(const QString& text) {
    const QString trimmed = text.trimmed();
    const QChar separator = TimeSeparator();
    qsizetype split = -1;
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        if (trimmed[i] == separator || trimmed[i] == u':') {
            split = i;
            break;
        }
    }
    if (split < 0)
        return {};
    auto number = [](QStringView digits) {
        if (digits.isEmpty() || digits.size() > 2)
            return -1;
        int value = 0;
        for (const QChar c : digits) {
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c.unicode() - u'0');
        }
        return value;
    };
    const int hour = number(QStringView(trimmed).left(split));
    const int minute = number(QStringView(trimmed).mid(split + 1));
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return {};
    return QTime(hour, minute);
}

} // namespace qm
