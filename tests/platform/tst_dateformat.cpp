#include "platform/Clock.h"
#include "platform/DateFormat.h"

#include <QtTest>

using namespace qm;

namespace {
// Monday 7 December 2026, a morning with single-digit minute and second.
const QDateTime kMonday(QDate(2026, 12, 7), QTime(8, 5, 9, 42));
// Sunday 4 January 2026, an afternoon.
const QDateTime kSunday(QDate(2026, 1, 4), QTime(13, 30, 0));

QDateTime At(int hour, int minute) {
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute));
}

QLocale UnitedStates() {
    return QLocale(QLocale::English, QLocale::UnitedStates);
}
} // namespace

class TestDateFormat : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(UnitedStates()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void formats_data();
    void formats();
    void twelveHourClock_data();
    void twelveHourClock();
    void dateOverloadIsMidnight();
    void invalidMomentIsDayZero();
    void germanNamesAndSeparators();
    void italianNames();
    void cLocaleSeparators();
    void nameLists();
    void dayOfWeekNumbering();
    void parseShortTime_data();
    void parseShortTime();
    void parseShortTimeLocaleSeparator();
    void clockSeam();
};

void TestDateFormat::formats_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("expected");

    // Formats the program stores and shows.
    QTest::newRow("dddd") << "dddd" << kMonday << "Monday";
    QTest::newRow("mmmm") << "mmmm" << kMonday << "December";
    QTest::newRow("dd") << "dd" << kSunday << "04";
    QTest::newRow("mm/dd") << "mm/dd" << kMonday << "12/07";
    QTest::newRow("dd mm yyyy") << "dd mm yyyy" << kMonday << "07 12 2026";
    QTest::newRow("hh mm ss") << "hh mm ss" << kMonday << "08 05 09";
    QTest::newRow("hh mm") << "hh mm" << kSunday << "13 30";
    QTest::newRow("hh.mm.ss") << "hh.mm.ss" << kMonday << "08.05.09";
    QTest::newRow("mmdd") << "mmdd" << kMonday << "1207";
    QTest::newRow("long with time") << "dddd d mmmm yyyy,  hh:mm:ss" << kMonday
                                    << "Monday 7 December 2026,  08:05:09";
    QTest::newRow("c with time") << "c" << kMonday << "12/7/2026 8:05:09 AM";
    QTest::newRow("c at midnight") << "c" << QDateTime(QDate(2026, 1, 4), QTime(0, 0)) << "1/4/2026";
    QTest::newRow("file stamp") << "yyyy-mm-dd,hh-nn-ss" << kMonday << "2026-12-07,08-05-09";

    // The date formats offered to the user.
    QTest::newRow("d mmmm yyyy") << "d mmmm yyyy" << kMonday << "7 December 2026";
    QTest::newRow("dd mmmm yyyy") << "dd mmmm yyyy" << kMonday << "07 December 2026";
    QTest::newRow("dd/mm/yyyy") << "dd/mm/yyyy" << kSunday << "04/01/2026";
    QTest::newRow("dddd d mmmm yyyy") << "dddd d mmmm yyyy" << kSunday << "Sunday 4 January 2026";
    QTest::newRow("dddd dd mmmm yyyy") << "dddd dd mmmm yyyy" << kSunday << "Sunday 04 January 2026";
    QTest::newRow("mm/dd/yyyy") << "mm/dd/yyyy" << kSunday << "01/04/2026";
    QTest::newRow("mmmm dd, yyyy") << "mmmm dd, yyyy" << kSunday << "January 04, 2026";
    QTest::newRow("d mmmm") << "d mmmm" << kSunday << "4 January";
    QTest::newRow("dd mmmm") << "dd mmmm" << kSunday << "04 January";
    QTest::newRow("dd/mm") << "dd/mm" << kSunday << "04/01";
    QTest::newRow("mmmm d") << "mmmm d" << kSunday << "January 4";
    QTest::newRow("mmmm dd") << "mmmm dd" << kSunday << "January 04";

    // The remaining letters.
    QTest::newRow("short names") << "ddd mmm" << kMonday << "Mon Dec";
    QTest::newRow("unpadded") << "d/m/yy h:n:s" << kMonday << "7/12/26 8:5:9";
    QTest::newRow("milliseconds") << "z zzz" << kMonday << "42 042";
    QTest::newRow("short and long time") << "t|tt" << kSunday << "1:30 PM|1:30:00 PM";
    QTest::newRow("short and long date") << "ddddd|dddddd" << kMonday << "12/7/2026|Monday, December 7, 2026";
    QTest::newRow("upper case letters") << "DD/MM/YYYY HH:NN:SS" << kMonday << "07/12/2026 08:05:09";
    QTest::newRow("long runs clamp") << "yyyyy hhh nnn sss zzzz" << kMonday << "2026 08 05 09 042";

    // "m" is minutes only when the last letter before it was an hour.
    QTest::newRow("m after hour") << "h:m" << kMonday << "8:5";
    QTest::newRow("m after minute is month") << "hh:nn mm" << kMonday << "08:05 12";
    QTest::newRow("m after day is month") << "hh:mm dd mm" << kMonday << "08:05 07 12";
    QTest::newRow("quotes do not count") << "hh' and 'mm" << kMonday << "08 and 05";
    QTest::newRow("other letter resets") << "hh x mm" << kMonday << "08 x 12";
    QTest::newRow("mmm after hour is minutes too") << "hh mmm" << kMonday << "08 05";

    // Literals.
    QTest::newRow("double quotes") << "\"day\" d \"of\" mmmm" << kMonday << "day 7 of December";
    QTest::newRow("single quotes") << "'hh:mm' hh" << kMonday << "hh:mm 08";
    QTest::newRow("quote inside other quotes") << "\"it's\" d" << kMonday << "it's 7";
    QTest::newRow("unterminated quote") << "d 'rest" << kMonday << "7 rest";
    QTest::newRow("other characters") << "[d] #-_ w" << kMonday << "[7] #-_ w";
}

void TestDateFormat::formats() {
    QFETCH(QString, format);
    QFETCH(QDateTime, moment);
    QFETCH(QString, expected);
    QCOMPARE(FormatDateTime(format, moment), expected);
}

void TestDateFormat::twelveHourClock_data() {
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDateTime>("moment");
    QTest::addColumn<QString>("expected");

    const QString longFormat = QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm");
    QTest::newRow("morning") << longFormat << kMonday << "Monday 7 December 2026,  08:05:09 am";
    QTest::newRow("afternoon") << longFormat << kSunday << "Sunday 4 January 2026,  01:30:00 pm";
    QTest::newRow("just after midnight") << longFormat << At(0, 30) << "Monday 7 December 2026,  12:30:00 am";
    QTest::newRow("noon") << longFormat << At(12, 0) << "Monday 7 December 2026,  12:00:00 pm";
    QTest::newRow("last minute") << longFormat << At(23, 59) << "Monday 7 December 2026,  11:59:00 pm";
    QTest::newRow("upper case marker") << "h AM/PM" << At(13, 5) << "1 PM";
    QTest::newRow("mixed case marker") << "h Am/Pm" << At(1, 5) << "1 Am";
    QTest::newRow("a/p") << "h:nn a/p" << At(0, 5) << "12:05 a";
    QTest::newRow("A/P") << "h:nn A/P" << At(12, 5) << "12:05 P";
    QTest::newRow("ampm is the locale's") << "h ampm" << At(18, 0) << "6 PM";
    QTest::newRow("marker before hour") << "am/pm hh" << At(15, 0) << "pm 03";
    QTest::newRow("no marker keeps 24 hours") << "hh" << At(13, 0) << "13";
    QTest::newRow("quoted marker does not count") << "hh 'am/pm'" << At(13, 0) << "13 am/pm";
    QTest::newRow("marker beyond next hour") << "hh hh am/pm" << At(13, 0) << "13 01 pm";
    QTest::newRow("lone a is copied") << "d a hh" << At(13, 0) << "7 a 13";
    QTest::newRow("aaa and aaaa") << "aaa aaaa" << kSunday << "Sun Sunday";
}

void TestDateFormat::twelveHourClock() {
    QFETCH(QString, format);
    QFETCH(QDateTime, moment);
    QFETCH(QString, expected);
    QCOMPARE(FormatDateTime(format, moment), expected);
}

void TestDateFormat::dateOverloadIsMidnight() {
    QCOMPARE(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn:ss"), QDate(2026, 12, 7)),
             "07/12/2026 00:00:00");
    QCOMPARE(FormatDateTime(QStringLiteral("c"), QDate(2026, 12, 7)), "12/7/2026");
    // An empty format is the date and time form.
    QCOMPARE(FormatDateTime(QString(), QDate(2026, 12, 7)), "12/7/2026");
    const QDateTime afternoon(QDate(2026, 12, 7), QTime(13, 5, 9));
    QCOMPARE(FormatDateTime(QString(), afternoon), FormatDateTime(QStringLiteral("c"), afternoon));
    QVERIFY(FormatDateTime(QString(), afternoon).contains(QStringLiteral("12/7/2026")));
}

void TestDateFormat::invalidMomentIsDayZero() {
    QCOMPARE(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), QDateTime()), "30/12/1899 00:00");
    QCOMPARE(FormatDateTime(QStringLiteral("dd/mm/yyyy"), QDate()), "30/12/1899");
}

void TestDateFormat::germanNamesAndSeparators() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(DateSeparator(), QChar(u'.'));
    QCOMPARE(TimeSeparator(), QChar(u':'));
    QCOMPARE(FormatDateTime(QStringLiteral("dddd d mmmm yyyy"), kMonday), "Montag 7 Dezember 2026");
    QCOMPARE(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), kMonday), "07.12.2026 08:05");
    QCOMPARE(FormatDateTime(QStringLiteral("c"), kSunday), "04.01.2026 13:30:00");
    QCOMPARE(FormatDateTime(QStringLiteral("'dd/mm' dd"), kMonday), "dd/mm 07");
}

void TestDateFormat::italianNames() {
    QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
    QCOMPARE(FormatDateTime(QStringLiteral("dddd d mmmm yyyy"), kMonday),
             QString::fromUtf8("lunedì 7 dicembre 2026"));
    QCOMPARE(LongMonthNames().first(), "gennaio");
}

void TestDateFormat::cLocaleSeparators() {
    QLocale::setDefault(QLocale::c());
    QCOMPARE(DateSeparator(), QChar(u'/'));
    QCOMPARE(TimeSeparator(), QChar(u':'));
    QCOMPARE(FormatDateTime(QStringLiteral("dd/mm/yyyy hh:nn"), kMonday), "07/12/2026 08:05");
}

void TestDateFormat::nameLists() {
    const QStringList days = LongDayNamesMondayFirst();
    QCOMPARE(days.size(), 7);
    QCOMPARE(days.first(), "Monday");
    QCOMPARE(days.last(), "Sunday");
    const QStringList months = LongMonthNames();
    QCOMPARE(months.size(), 12);
    QCOMPARE(months.first(), "January");
    QCOMPARE(months.last(), "December");
}

void TestDateFormat::dayOfWeekNumbering() {
    QCOMPARE(DayOfWeekSundayFirst(QDate(2026, 1, 4)), 1);  // Sunday
    QCOMPARE(DayOfWeekSundayFirst(QDate(2026, 12, 7)), 2); // Monday
    QCOMPARE(DayOfWeekSundayFirst(QDate(2026, 1, 10)), 7); // Saturday
}

void TestDateFormat::parseShortTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QTime>("expected");

    QTest::newRow("two-digit hour") << "08:30" << QTime(8, 30);
    QTest::newRow("one-digit hour") << "8:30" << QTime(8, 30);
    QTest::newRow("midnight") << "00:00" << QTime(0, 0);
    QTest::newRow("last minute") << "23:59" << QTime(23, 59);
    QTest::newRow("blank before") << " 8:30" << QTime(8, 30);
    QTest::newRow("empty mask") << "  :  " << QTime();
    QTest::newRow("half-filled mask") << "1_:__" << QTime();
    QTest::newRow("out of range") << "99:99" << QTime();
    QTest::newRow("hour 24") << "24:00" << QTime();
    QTest::newRow("minute 60") << "12:60" << QTime();
    QTest::newRow("empty") << "" << QTime();
    QTest::newRow("no separator") << "0830" << QTime();
    QTest::newRow("seconds") << "08:30:00" << QTime();
    QTest::newRow("three-digit hour") << "008:30" << QTime();
    QTest::newRow("sign") << "-1:30" << QTime();
}

void TestDateFormat::parseShortTime() {
    QFETCH(QString, text);
    QFETCH(QTime, expected);
    const QTime parsed = ParseShortTime(text);
    QCOMPARE(parsed.isValid(), expected.isValid());
    if (expected.isValid())
        QCOMPARE(parsed, expected);
}

void TestDateFormat::parseShortTimeLocaleSeparator() {
    QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
    QCOMPARE(TimeSeparator(), QChar(u'.'));
    QCOMPARE(ParseShortTime(QStringLiteral("8.30")), QTime(8, 30));
    QCOMPARE(ParseShortTime(QStringLiteral("08:30")), QTime(8, 30));
    QCOMPARE(FormatDateTime(QStringLiteral("hh:nn"), kMonday), "08.05");
}

void TestDateFormat::clockSeam() {
    SetTestNow(kMonday);
    QCOMPARE(Now(), kMonday);
    QCOMPARE(Today(), QDate(2026, 12, 7));
    ClearTestNow();
    QVERIFY(Now() != kMonday);
}

QTEST_GUILESS_MAIN(TestDateFormat)
#include "tst_dateformat.moc"
