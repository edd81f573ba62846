#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "engine/Query.h"
#include "engine/Session.h"
#include "exchange/ICalendar.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "store/AppointmentRow.h"
#include "store/Archive.h"
#include "store/ArchiveLocation.h"
#include "support/FullDisk.h"
#include "support/ShownTexts.h"
#include "support/TestEnvironment.h"

#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScopeGuard>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>
#include <ctime>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>

using namespace qm;

namespace {

const QString kAlias = QStringLiteral("QMDB");
const QString kOther = QStringLiteral("ICSB");
const QString kColumns = QStringLiteral(
    "SELECT flag,id,note,dayofweek,dayindex,dayofmonth,datefull,data,orario,orario2 FROM QMarc80 "
    "ORDER BY flag,datefull,id,orario");

QByteArray Crlf(QByteArray text) {
    text.replace("\r\n", "\n");
    text.replace("\n", "\r\n");
    return text;
}

void WriteBytes(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray ReadBytes(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The archive of the test's login as the command line finds it, with an empty appointment table.
void OpenArchive() {
    QString folder, error, notice;
    QVERIFY(SetUpArchiveAlias(&folder, &error, &notice));
    CreateTableWhenMissing(kAlias, QStringLiteral("QMarc80"));
}

// A second, empty archive under another alias.
QString OpenOtherArchive(const TestEnvironment& env) {
    const QString folder = env.ProgramFolder() + QStringLiteral("other");
    Session::Instance().AddAlias(kOther, folder);
    CreateTableWhenMissing(kOther, QStringLiteral("QMarc80"));
    return folder + QStringLiteral("/QMarc80.db");
}

void Add(const QString& flag, const QDate& date, const QString& title, const QString& from, const QString& to,
         const QString& note = QString(), const QString& marker = QString()) {
    TAppointmentRow row = AppointmentOn(flag, date);
    row.id = title;
    row.note = note;
    if (flag == QLatin1String("O"))
        row.dayofweek = marker;
    if (!from.isEmpty())
        row.orario = StoredTime(QTime::fromString(from, QStringLiteral("hh:mm")));
    if (!to.isEmpty())
        row.orario2 = StoredTime(QTime::fromString(to, QStringLiteral("hh:mm")));
    TQuery query;
    query.DatabaseName = kAlias;
    InsertAppointment(query, row);
}

// Every kind, with and without times, an entry shown every day, the 31st, 29 February, an end past midnight,
// notes with the characters a calendar file escapes and text beyond Latin.
void AddEveryKind() {
    Add("O", QDate(2026, 12, 31), "New Year's Eve, party", "20:00", "23:30",
        "Bring: wine, cheese; glasses\nand 日本語 Ελληνικά \\ back");
    Add("O", QDate(2026, 12, 10), "Whole day off", "", "");
    Add("O", QDate(2026, 12, 11), "Night shift", "23:00", "01:00", "a;b,c");
    Add("O", QDate(2026, 12, 12), "Start only", "07:15", "");
    Add("W", QDate(2026, 12, 7), "Gym", "18:00", "19:00", "Montag: Kraft");
    Add("W", QDate(2026, 12, 13), "Call mother", "", "");
    Add("M", QDate(2026, 12, 31), "Rent on the 31st", "09:00", "09:30");
    Add("M", QDate(2027, 1, 1), "Meter reading", "", "", "Στοιχεία\nline two");
    Add("Y", QDate(2028, 2, 29), "Leap birthday", "", "");
    Add("Y", QDate(2026, 12, 25), "Christmas lunch", "12:00", "15:00");
    Add("O", QDate(2026, 12, 1), "Vitamins", "08:00", "", "", "T");
}

QList<QStringList> Rows(const QString& file) {
    return TestEnvironment::RowsOfFile(file, kColumns);
}

// What calcurse lists for `day`: the titles of its appointments and events.
QStringList CalcurseDay(const QString& dataDir, const QDate& day) {
    QProcess calcurse;
    calcurse.start(QStringLiteral("calcurse"),
                   {QStringLiteral("-D"), dataDir, QStringLiteral("-Q"), QStringLiteral("--from"),
                    day.toString(QStringLiteral("MM/dd/yyyy")), QStringLiteral("--days"),
                    QStringLiteral("1")});
    calcurse.waitForFinished(30000);
    QStringList titles;
    for (const QString& line : QString::fromUtf8(calcurse.readAllStandardOutput()).split(u'\n')) {
        if (line.startsWith(u'\t'))
            titles << line.mid(1);
        else if (line.startsWith(QLatin1String(" * ")))
            titles << line.mid(3);
    }
    titles.sort();
    return titles;
}

// What the program's Tasks list shows for `day`.
QStringList TasksDay(TMainForm* form, const QDate& day) {
    form->DateTimePickerTODAY->setDate(day);
    form->RefreshTodayQuery();
    QStringList titles;
    for (int r = 0; r < form->QueryTODAY->RecordCount(); ++r)
        titles << TRecord(form->QueryTODAY, r).FieldByName(QStringLiteral("id")).AsString();
    titles.sort();
    return titles;
}

QStringList UidLines(const QByteArray& ics) {
    QStringList uids;
    for (const QByteArray& line : ics.split('\n'))
        if (line.startsWith("UID:"))
            uids << QString::fromUtf8(line.trimmed());
    return uids;
}

struct Counts {
    int o = 0, w = 0, m = 0, y = 0;
};

Counts CountsInFile(const QString& file) {
    Counts c;
    for (const QStringList& row :
         TestEnvironment::RowsOfFile(file, QStringLiteral("SELECT flag FROM QMarc80"))) {
        const QString flag = row.value(0);
        (flag == "O" ? c.o : flag == "W" ? c.w : flag == "M" ? c.m : c.y)++;
    }
    return c;
}

// The program started as a process has the real login's archive, not the test's.
QString RealArchiveFile(const TestEnvironment& env) {
    const passwd* account = ::getpwuid(::geteuid());
    return DefaultArchiveFolderFor(env.ProgramFolder(),
                                   QString::fromLocal8Bit(account ? account->pw_name : "")) +
           QStringLiteral("/QMarc80.db");
}

QString Program() {
    return QStringLiteral(QUELLMIRE_PROGRAM);
}

// The built program as a user's shell runs it: no display, the test's program folder.
QProcessEnvironment ToolEnvironment(const TestEnvironment& env, const QString& runtime) {
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove(QStringLiteral("DISPLAY"));
    e.remove(QStringLiteral("WAYLAND_DISPLAY"));
    e.remove(QStringLiteral("QT_QPA_PLATFORM"));
    e.insert(QStringLiteral("QUELLMIRE_PROGRAM_FOLDER"), env.ProgramFolder());
    e.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    e.insert(QStringLiteral("TZ"), QStringLiteral("Europe/Berlin"));
    return e;
}

struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run RunTool(const QProcessEnvironment& e, const QStringList& arguments) {
    QProcess tool;
    tool.setProcessEnvironment(e);
    tool.start(Program(), arguments);
    Run run;
    if (!tool.waitForFinished(60000)) {
        tool.kill();
        tool.waitForFinished();
        return run;
    }
    run.code = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    run.out = QString::fromLocal8Bit(tool.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

const QByteArray kThunderbird = R"(BEGIN:VCALENDAR
PRODID:-//Mozilla.org/NONSGML Mozilla Calendar V1.1//EN
VERSION:2.0
BEGIN:VTIMEZONE
TZID:Europe/Berlin
BEGIN:DAYLIGHT
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
TZNAME:CEST
DTSTART:19700329T020000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3
END:DAYLIGHT
BEGIN:STANDARD
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
TZNAME:CET
DTSTART:19701025T030000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10
END:STANDARD
END:VTIMEZONE
BEGIN:VEVENT
CREATED:20261101T100000Z
LAST-MODIFIED:20261101T100000Z
DTSTAMP:20261101T100000Z
UID:tb-1
SUMMARY:Choir
RRULE:FREQ=WEEKLY;BYDAY=TU,TH
DTSTART;TZID=Europe/Berlin:20261103T193000
DTEND;TZID=Europe/Berlin:20261103T211500
DESCRIPTION:Bring the scores
BEGIN:VALARM
ACTION:DISPLAY
TRIGGER;VALUE=DURATION:-PT15M
DESCRIPTION:Default Mozilla Description
END:VALARM
END:VEVENT
BEGIN:VEVENT
UID:tb-2
DTSTAMP:20261101T100000Z
SUMMARY:Dentist
DTSTART;TZID=Europe/Berlin:20261215T083000
DTEND;TZID=Europe/Berlin:20261215T090000
LOCATION:Hauptstraße 5
END:VEVENT
END:VCALENDAR
)";

const QByteArray kGoogle = R"(BEGIN:VCALENDAR
PRODID:-//Google Inc//Google Calendar 70.9054//EN
VERSION:2.0
CALSCALE:GREGORIAN
METHOD:PUBLISH
X-WR-CALNAME:me@example.com
X-WR-TIMEZONE:Europe/Berlin
BEGIN:VEVENT
DTSTART:20261220T090000Z
DTEND:20261220T100000Z
DTSTAMP:20261201T120000Z
UID:g1@google.com
SEQUENCE:zero
STRUCTURED-DATA:a property of a newer standard
SUMMARY:Brunch (UTC)
STATUS:CONFIRMED
END:VEVENT
BEGIN:VEVENT
DTSTART;VALUE=DATE:19900315
DTEND;VALUE=DATE:19900316
RRULE:FREQ=YEARLY
DTSTAMP:20261201T120000Z
UID:g2@google.com
SUMMARY:Anna's birthday
END:VEVENT
BEGIN:VEVENT
DTSTART;VALUE=DATE:20261227
DTEND;VALUE=DATE:20261230
DTSTAMP:20261201T120000Z
UID:g3@google.com
SUMMARY:Ski trip
END:VEVENT
BEGIN:VEVENT
DTSTART:20261210T170000Z
DTEND:20261210T180000Z
RRULE:FREQ=MONTHLY;COUNT=3;BYMONTHDAY=10
DTSTAMP:20261201T120000Z
UID:g4@google.com
SUMMARY:Course
END:VEVENT
BEGIN:VEVENT
DTSTART:20261211T090000Z
DTSTAMP:20261201T120000Z
UID:g5@google.com
SUMMARY:Called off
STATUS:CANCELLED
END:VEVENT
END:VCALENDAR
)";

const QByteArray kOutlook = R"(BEGIN:VCALENDAR
PRODID:-//Microsoft Corporation//Outlook 16.0 MIMEDIR//EN
VERSION:2.0
METHOD:PUBLISH
BEGIN:VTIMEZONE
TZID:W. Europe Standard Time
BEGIN:STANDARD
DTSTART:16011028T030000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010325T020000
RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
END:DAYLIGHT
END:VTIMEZONE
BEGIN:VEVENT
CLASS:PUBLIC
DTSTART;TZID="W. Europe Standard Time":20261207T100000
DTEND;TZID="W. Europe Standard Time":20261207T110000
RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO
SUMMARY;LANGUAGE=de:Jour fixe
UID:040000008200E00074C5B7101A82E008
DTSTAMP:20261201T100000Z
END:VEVENT
BEGIN:VEVENT
DTSTART;TZID="W. Europe Standard Time":20261208T140000
DTEND;TZID="W. Europe Standard Time":20261208T150000
RRULE:FREQ=MONTHLY;BYDAY=2TU
SUMMARY:Board meeting
UID:o2
DTSTAMP:20261201T100000Z
END:VEVENT
BEGIN:VEVENT
DTSTART;TZID="W. Europe Standard Time":20261204T160000
DTEND;TZID="W. Europe Standard Time":20261204T170000
RRULE:FREQ=MONTHLY;BYDAY=FR;BYSETPOS=-1
SUMMARY:Last Friday review
UID:o3
DTSTAMP:20261201T100000Z
END:VEVENT
BEGIN:VEVENT
DTSTART;TZID="W. Europe Standard Time":20261209T080000
DTEND;TZID="W. Europe Standard Time":20261209T083000
RRULE:FREQ=WEEKLY;BYDAY=WE
EXDATE;TZID="W. Europe Standard Time":20261223T080000,20261230T080000
SUMMARY:Stand-up
UID:o4
DTSTAMP:20261201T100000Z
END:VEVENT
BEGIN:VEVENT
DTSTART;TZID="W. Europe Standard Time":20261209T120000
DTEND;TZID="W. Europe Standard Time":20261209T130000
RRULE:FREQ=WEEKLY;BYDAY=WE;UNTIL=20261230T110000Z
SUMMARY:Lunch club
UID:o5
DTSTAMP:20261201T100000Z
END:VEVENT
BEGIN:VEVENT
DTSTART;TZID="W. Europe Standard Time":20261218T200000
DTEND;TZID="W. Europe Standard Time":20261220T100000
SUMMARY:Weekend away
UID:o6
DTSTAMP:20261201T100000Z
END:VEVENT
END:VCALENDAR
)";

const QByteArray kCalcurse = R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//calcurse//NONSGML v4.8.1//EN
BEGIN:VEVENT
UID:cc-1
DTSTAMP:20261201T000000Z
DTSTART:20261216T090000
DURATION:P0DT1H0M0S
SUMMARY:Budget review
END:VEVENT
BEGIN:VEVENT
UID:cc-2
DTSTAMP:20261201T000000Z
DTSTART;VALUE=DATE:20261217
SUMMARY:Office closed
END:VEVENT
BEGIN:VEVENT
UID:cc-3
DTSTAMP:20261201T000000Z
DTSTART;VALUE=DATE:20261201
RRULE:FREQ=MONTHLY
SUMMARY:Pay bills
END:VEVENT
BEGIN:VEVENT
UID:cc-4
DTSTAMP:20261201T000000Z
DTSTART:20261208T070000
RRULE:FREQ=DAILY;COUNT=5
SUMMARY:Pills
END:VEVENT
BEGIN:VEVENT
UID:cc-5
DTSTAMP:20261201T000000Z
DTSTART:20261214T180000
RRULE:FREQ=WEEKLY
RDATE:20261217T180000
SUMMARY:Tennis
END:VEVENT
BEGIN:VEVENT
UID:cc-6
DTSTAMP:20261201T000000Z
DTSTART:20261215T090000
RRULE:FREQ=WEEKLY;COUNT=3
SUMMARY:Course block
END:VEVENT
BEGIN:VEVENT
UID:cc-6
DTSTAMP:20261201T000000Z
RECURRENCE-ID:20261222T090000
DTSTART:20261223T100000
SUMMARY:Course block (moved)
END:VEVENT
BEGIN:VEVENT
UID:cc-6
DTSTAMP:20261201T000000Z
RECURRENCE-ID:20261215T090000
DTSTART:20261201T090000
SUMMARY:Course block (moved back)
END:VEVENT
BEGIN:VTODO
UID:cc-7
DTSTAMP:20261201T000000Z
SUMMARY:Buy milk
END:VTODO
END:VCALENDAR
)";

// A weekly event kept in UTC: here it falls on the next day, an hour later in summer.
const QByteArray kUtcWeekly = R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//server//EN
BEGIN:VEVENT
UID:u1
DTSTAMP:20261201T000000Z
DTSTART:20261207T233000Z
RRULE:FREQ=WEEKLY;BYDAY=MO
SUMMARY:Late call
END:VEVENT
END:VCALENDAR
)";

// Rules that no day ever fulfils or that fire every second or minute: they end, bounded.
const QByteArray kPathological = R"(BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//nasty//EN
BEGIN:VEVENT
UID:p1
DTSTAMP:20261201T000000Z
DTSTART:20261201T090000
RRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30
SUMMARY:Never
END:VEVENT
BEGIN:VEVENT
UID:p2
DTSTAMP:20261201T000000Z
DTSTART:19000101T000000
RRULE:FREQ=SECONDLY
SUMMARY:Every second
END:VEVENT
BEGIN:VEVENT
UID:p3
DTSTAMP:20261201T000000Z
DTSTART:20261201T090000
RRULE:FREQ=MINUTELY;COUNT=2000000000
SUMMARY:Every minute
END:VEVENT
END:VCALENDAR
)";

} // namespace

class TestICalendar : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        // Time zones convert to this clock, the one the test rows are written for.
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void roundTripKeepsEveryColumnAndASecondImportAddsNothing() {
        TestEnvironment env;
        OpenArchive();
        AddEveryKind();
        const QString file = env.ProgramFolder() + QStringLiteral("all.ics");
        int written = 0;
        QString error;
        QVERIFY2(ExportAllAppointmentsToIcsFile(kAlias, file, &written, &error), qPrintable(error));
        QCOMPARE(written, 11);

        const QByteArray bytes = ReadBytes(file);
        QStringDecoder utf8(QStringConverter::Utf8);
        (void)utf8(bytes);
        QVERIFY(!utf8.hasError());
        QVERIFY(bytes.endsWith("END:VCALENDAR\r\n"));
        for (const QByteArray& line : bytes.split('\n')) {
            QVERIFY2(line.isEmpty() || line.endsWith('\r'), line.constData());
            QVERIFY2(line.size() <= 76, line.constData());
        }
        for (const char* expected :
             {"RRULE:FREQ=WEEKLY;BYDAY=MO\r\n", "RRULE:FREQ=MONTHLY;BYMONTHDAY=31\r\n",
              "RRULE:FREQ=YEARLY;BYMONTHDAY=29;BYMONTH=2\r\n", "DTSTART;VALUE=DATE:20280229\r\n",
              "DTSTART:20261231T200000\r\n", "RRULE:FREQ=DAILY\r\n", "DTEND:20261212T010000\r\n",
              "TRIGGER:PT0S\r\n", "SUMMARY:New Year's Eve\\, party\r\n"})
            QVERIFY2(bytes.contains(expected), expected);
        QVERIFY(!bytes.contains("freeassociation"));

        const QString other = OpenOtherArchive(env);
        IcsImportSummary summary;
        QVERIFY2(ImportIcsFile(kOther, file, &summary, &error), qPrintable(error));
        QCOMPARE(summary.Added(), 11);
        QCOMPARE(Rows(other), Rows(env.ArchiveFile(QStringLiteral("QMarc80.db"))));

        QVERIFY(ImportIcsFile(kOther, file, &summary, &error));
        QCOMPARE(summary.Added(), 0);
        QCOMPARE(summary.skipped.value(QStringLiteral("already in the archive")), 11);
        QCOMPARE(Rows(other).size(), 11);

        // A later export of the same archive keeps every UID.
        const QString again = env.ProgramFolder() + QStringLiteral("again.ics");
        QVERIFY(ExportAllAppointmentsToIcsFile(kAlias, again, &written, &error));
        QCOMPARE(UidLines(ReadBytes(again)), UidLines(bytes));
        const QStringList uids = UidLines(bytes);
        QCOMPARE(QSet<QString>(uids.begin(), uids.end()).size(), 11);
    }

    void realClientsReadTheExport() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddEveryKind();
        const QString file = env.ProgramFolder() + QStringLiteral("all.ics");
        int written = 0;
        QString error;
        QVERIFY2(ExportAllAppointmentsToIcsFile(kAlias, file, &written, &error), qPrintable(error));

        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import icalendar,sys\n"
                                     "c=icalendar.Calendar.from_ical(open(sys.argv[1],'rb').read())\n"
                                     "for e in c.walk('VEVENT'): print(str(e['SUMMARY']))"),
                      file});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);
        QStringList summaries = QString::fromUtf8(python.readAllStandardOutput()).trimmed().split(u'\n');
        summaries.sort();
        QStringList titles;
        for (const QStringList& row : Rows(env.ArchiveFile(QStringLiteral("QMarc80.db"))))
            titles << row[1];
        titles.sort();
        QCOMPARE(summaries, titles);

        QTemporaryDir calcurseDir;
        QProcess calcurse;
        calcurse.start(QStringLiteral("calcurse"),
                       {QStringLiteral("-D"), calcurseDir.path(), QStringLiteral("-i"), file});
        QVERIFY(calcurse.waitForFinished(60000));
        const QString report = QString::fromUtf8(calcurse.readAllStandardOutput());
        QVERIFY2(calcurse.exitCode() == 0 && report.contains(QLatin1String(" 0 skipped")),
                 qPrintable(report));
        for (const QDate& day :
             {QDate(2026, 12, 31), QDate(2027, 1, 31), QDate(2027, 2, 28), QDate(2028, 2, 29),
              QDate(2027, 2, 28), QDate(2026, 12, 13), QDate(2026, 12, 14), QDate(2027, 1, 1),
              QDate(2026, 12, 11), QDate(2026, 12, 25)})
            QCOMPARE(CalcurseDay(calcurseDir.path(), day), TasksDay(form, day));
        QVERIFY(TasksDay(form, QDate(2028, 2, 29)).contains(QStringLiteral("Leap birthday")));
        QVERIFY(TasksDay(form, QDate(2027, 1, 31)).contains(QStringLiteral("Rent on the 31st")));
        QVERIFY(!TasksDay(form, QDate(2027, 2, 28)).contains(QStringLiteral("Rent on the 31st")));
    }

    void filesOfOtherProgramsEndInTheirSummary_data() {
        QTest::addColumn<QByteArray>("ics");
        QTest::addColumn<QList<int>>("added"); // one-shot, weekly, monthly, yearly
        QTest::addColumn<QStringList>("reasons");
        QTest::addColumn<QStringList>(
            "rows"); // some of the rows, "flag|id|datefull|dayofweek|dayofmonth|data|orario|orario2"
        QTest::newRow("thunderbird") << kThunderbird << QList<int>{1, 2, 0, 0} << QStringList()
                                     << QStringList{"W|Choir|2026-11-03|Tuesday|||19:30|21:15",
                                                    "W|Choir|2026-11-05|Thursday|||19:30|21:15",
                                                    "O|Dentist|2026-12-15||||08:30|09:00"};
        // 2 one-shots of the course (10 December and the two after, from today), 3 ski days.
        QTest::newRow("google") << kGoogle << QList<int>{1 + 3 + 3, 0, 0, 1}
                                << QStringList{"lasting several days", "ending after a number of times"}
                                << QStringList{"O|Brunch (UTC)|2026-12-20||||10:00|11:00",
                                               "Y|Anna's birthday|1990-03-15|||03/15|  :  |  :  ",
                                               "O|Ski trip|2026-12-28||||  :  |  :  ",
                                               "O|Course|2027-02-10||||18:00|19:00"};
        // Jour fixe every second Monday (27), board on the second Tuesday (12 from today), the last
        // Friday (12), the stand-up without two dates (50), the lunch club until a date (4), the
        // weekend as three days.
        QTest::newRow("outlook") << kOutlook << QList<int>{27 + 12 + 12 + 50 + 4 + 3, 0, 0, 0}
                                 << QStringList{"every second", "weekday of the month", "exceptions",
                                                "ending after a number", "several days"}
                                 << QStringList{"O|Jour fixe|2026-12-21||||10:00|11:00",
                                                "O|Board meeting|2027-01-12||||14:00|15:00",
                                                "O|Last Friday review|2026-12-25||||16:00|17:00",
                                                "O|Weekend away|2026-12-18||||20:00|  :  ",
                                                "O|Weekend away|2026-12-19||||  :  |  :  ",
                                                "O|Weekend away|2026-12-20||||  :  |10:00"};
        // Pills 5 days, tennis weekly plus a Thursday (53), the course block once and once moved; its
        // occurrence moved back before today is not added.
        QTest::newRow("calcurse") << kCalcurse << QList<int>{1 + 1 + 5 + 53 + 2, 0, 1, 0}
                                  << QStringList{"ending after a number of times",
                                                 "exceptions or extra dates"}
                                  << QStringList{"O|Budget review|2026-12-16||||09:00|10:00",
                                                 "M|Pay bills|2026-12-01||01||  :  |  :  ",
                                                 "O|Course block (moved)|2026-12-23||||10:00|  :  ",
                                                 "O|Tennis|2026-12-17||||18:00|  :  "};
        QTest::newRow("weekly in UTC")
            << kUtcWeekly << QList<int>{53, 0, 0, 0} << QStringList{"clock changes on other dates than here"}
            << QStringList{"O|Late call|2026-12-08||||00:30|  :  ", "O|Late call|2027-06-29||||01:30|  :  "};
        QTest::newRow("rules that never or always fire")
            << kPathological << QList<int>{1000, 0, 0, 0}
            << QStringList{"more than 1000 occurrences", "not followed to their end"} << QStringList();
    }

    void filesOfOtherProgramsEndInTheirSummary() {
        QFETCH(QByteArray, ics);
        QFETCH(QList<int>, added);
        QFETCH(QStringList, reasons);
        QFETCH(QStringList, rows);
        TestEnvironment env;
        OpenArchive();
        const QString file = env.ProgramFolder() + QStringLiteral("in.ics");
        WriteBytes(file, Crlf(ics));
        IcsImportSummary summary;
        QString error;
        QVERIFY2(ImportIcsFile(kAlias, file, &summary, &error), qPrintable(error));
        const QString text = summary.Text(file);
        QCOMPARE((QList<int>{summary.oneShot, summary.weekly, summary.monthly, summary.yearly}), added);
        for (const QString& reason : reasons)
            QVERIFY2(text.contains(reason), qPrintable(text));
        const Counts inFile = CountsInFile(env.ArchiveFile(QStringLiteral("QMarc80.db")));
        QCOMPARE((QList<int>{inFile.o, inFile.w, inFile.m, inFile.y}), added);
        QStringList stored;
        for (const QStringList& row : TestEnvironment::RowsOfFile(
                 env.ArchiveFile(QStringLiteral("QMarc80.db")),
                 QStringLiteral(
                     "SELECT flag,id,datefull,dayofweek,dayofmonth,data,orario,orario2 FROM QMarc80")))
            stored << row.join(u'|');
        for (const QString& row : rows)
            QVERIFY2(stored.contains(row), qPrintable(row + QStringLiteral("\n") + stored.join(u'\n')));
        // Nothing twice.
        QVERIFY(ImportIcsFile(kAlias, file, &summary, &error));
        QCOMPARE(summary.Added(), 0);
    }

    void damagedFilesEndInOneMessage_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("what");
        const QByteArray good = Crlf(kThunderbird);
        QByteArray brokenDate = good;
        brokenDate.replace("20261215T083000", "2026121XT08300");
        QByteArray loneCr = good;
        loneCr.replace("SUMMARY:Dentist\r\n", "SUMMARY:Dentist\rUID:x\r\n");
        QByteArray nul = good;
        nul.replace("SUMMARY:Choir", QByteArray("SUMMARY:Ch\0oir", 14));
        QTest::newRow("broken date") << brokenDate << "2026121XT08300";
        QByteArray shortDate = good;
        shortDate.replace("DTSTART;TZID=Europe/Berlin:20261215T083000", "DTSTART;VALUE=DATE:2026121X");
        QTest::newRow("broken whole-day date") << shortDate << "\"2026121X\" in DTSTART is not a date";
        QByteArray badUntil = Crlf(kOutlook);
        badUntil.replace("UNTIL=20261230T110000Z", "UNTIL=20261330T110000Z");
        QTest::newRow("broken end of a repetition") << badUntil << "20261330T110000Z";
        QTest::newRow("lone CR") << loneCr << "carriage return";
        QTest::newRow("NUL in a name") << nul << "NUL";
        QTest::newRow("not a calendar") << QByteArray("PK\x03\x04 zip bytes") << "not an iCalendar file";
        QTest::newRow("empty") << QByteArray() << "not an iCalendar file";
    }

    void damagedFilesEndInOneMessage() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, what);
        TestEnvironment env;
        OpenArchive();
        const QString file = env.ProgramFolder() + QStringLiteral("damaged.ics");
        WriteBytes(file, bytes);
        IcsImportSummary summary;
        QString error;
        QVERIFY(!ImportIcsFile(kAlias, file, &summary, &error));
        QVERIFY2(error.contains(file) && error.contains(what), qPrintable(error));
        QCOMPARE(summary.Added(), 0);
        QCOMPARE(Rows(env.ArchiveFile(QStringLiteral("QMarc80.db"))).size(), 0);
    }

    void oversizedAndIrregularFilesAreRefusedUnread() {
        TestEnvironment env;
        OpenArchive();
        const QString big = env.ProgramFolder() + QStringLiteral("big.ics");
        QFile f(big);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxIcsFileSize + 1)); // sparse: no disk taken
        f.close();
        const QString fifo = env.ProgramFolder() + QStringLiteral("fifo.ics");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        IcsImportSummary summary;
        QString error;
        QVERIFY(!ImportIcsFile(kAlias, big, &summary, &error));
        QVERIFY2(error.contains(big) && error.contains(QLatin1String("64 MB")), qPrintable(error));
        QVERIFY(!ImportIcsFile(kAlias, fifo, &summary, &error));
        QVERIFY2(error.contains(fifo), qPrintable(error));
    }

    void aFullDiskAddsNothingAndKeepsTheOldExport() {
        TestEnvironment env;
        OpenArchive();
        AddEveryKind();
        FullDisk disk(env.ProgramFolder() + QStringLiteral("full"));
        QM_REQUIRE_FULL_DISK(disk);
        Session::Instance().AddAlias(kOther, disk.Folder());
        CreateTableWhenMissing(kOther, QStringLiteral("QMarc80"));
        const QString table = disk.Folder() + QStringLiteral("/QMarc80.db");
        const QString old = disk.Folder() + QStringLiteral("/old.ics");
        WriteBytes(old, "old calendar");
        const QString in = env.ProgramFolder() + QStringLiteral("outlook.ics");
        WriteBytes(in, Crlf(kOutlook));
        disk.Fill();

        IcsImportSummary summary;
        QString error;
        QVERIFY(!ImportIcsFile(kOther, in, &summary, &error));
        QVERIFY2(error.contains(in), qPrintable(error));
        disk.Free();
        QCOMPARE(Rows(table).size(), 0);

        disk.Fill();
        int written = 0;
        QVERIFY(!ExportAllAppointmentsToIcsFile(kAlias, old, &written, &error));
        QVERIFY2(error.contains(old), qPrintable(error));
        QCOMPARE(ReadBytes(old), QByteArray("old calendar"));
    }

    void theListMenuExportsAndImports() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddEveryKind();
        form->RefreshMonthQuery();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        form->PageControlMenu->setCurrentWidget(form->TabSheetMonth);
        form->Edit_Find_Mese->setText(QStringLiteral("Rent"));

        const auto choose = [form](QAction* action) {
            QWidget* viewport = form->DBGrid_Month->viewport();
            const QPoint at = viewport->mapTo(form, QPoint(20, 10));
            QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, at);
            QTRY_VERIFY(form->PopupMenuTabelle->isVisible());
            QVERIFY(action->isVisible());
            QTest::mouseClick(form->PopupMenuTabelle, Qt::LeftButton, {},
                              form->PopupMenuTabelle->actionGeometry(action).center());
            QTRY_VERIFY(!form->PopupMenuTabelle->isVisible());
        };

        // The list as found: the monthly entries whose title holds "Rent".
        const QString visible = env.ProgramFolder() + QStringLiteral("rent.ics");
        DialogSeam::QueueFile(visible);
        choose(form->ExportCalendar1);
        QCOMPARE(DialogSeam::Shown().last().kind, QStringLiteral("save"));
        QVERIFY(DialogSeam::Shown().last().filter.contains(QLatin1String("*.ics")));
        QCOMPARE(UidLines(ReadBytes(visible)).size(), 1);
        QVERIFY(ReadBytes(visible).contains("SUMMARY:Rent on the 31st"));

        const QString all = env.ProgramFolder() + QStringLiteral("everything.ics");
        DialogSeam::QueueFile(all);
        choose(form->ExportCalendarAll1);
        QCOMPARE(UidLines(ReadBytes(all)).size(), 11);

        const QString in = env.ProgramFolder() + QStringLiteral("google.ics");
        WriteBytes(in, Crlf(kGoogle));
        MessageBoxSeam::QueueAnswer(Id::Ok);
        DialogSeam::QueueFile(in);
        choose(form->ImportCalendar1);
        QCOMPARE(DialogSeam::Shown().last().kind, QStringLiteral("open"));
        QCOMPARE(ShownTexts().size(), 1);
        QVERIFY2(ShownTexts().last().contains(QLatin1String("8 entries added")),
                 qPrintable(ShownTexts().last()));
        // The lists show the new entries at once.
        form->Edit_Find_Mese->clear();
        form->PageControlMenu->setCurrentWidget(form->TabSheetShot);
        form->Edit_Find_Shot->setText(QStringLiteral("Ski"));
        QCOMPARE(form->QueryShot->RecordCount(), 3);

        WriteBytes(in, "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:2026X\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        MessageBoxSeam::QueueAnswer(Id::Ok);
        DialogSeam::QueueFile(in);
        choose(form->ImportCalendar1);
        QCOMPARE(ShownTexts().size(), 2);
        QVERIFY(ShownTexts().last().contains(in));
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);

        // Not on the other tabs.
        form->PageControlMenu->setCurrentWidget(form->TabSheetToDo);
        QWidget* toDo = form->DBGrid_ToDo->viewport();
        QTest::mouseClick(form->windowHandle(), Qt::RightButton, {}, toDo->mapTo(form, QPoint(20, 10)));
        QTRY_VERIFY(form->PopupMenuTabelle->isVisible());
        QVERIFY(!form->ImportCalendar1->isVisible());
        QTest::keyClick(form->PopupMenuTabelle, Qt::Key_Escape);
        QTRY_VERIFY(!form->PopupMenuTabelle->isVisible());
    }

    void aLaterStartsImportIsDoneByTheRunningCopy() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QTemporaryDir runtime;
        ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_RUNTIME_DIR"); });
        TMainInstance first(QStringLiteral("icstest"));
        QVERIFY(first.Start({QStringLiteral("quellmire")}));
        first.OnRequest = [form](const QStringList& words) { return form->CalledToDo(words); };
        first.SetReady();
        const QString in = env.ProgramFolder() + QStringLiteral("tb.ics");
        WriteBytes(in, Crlf(kThunderbird));

        TMainInstance::Answer answer;
        TMainInstance::AskResult result = TMainInstance::AskResult::NotRunning;
        std::thread later([&] {
            TMainInstance second(QStringLiteral("icstest"));
            result = second.Ask({QStringLiteral("import-ics"), in}, &answer, 30000);
        });
        QTRY_VERIFY_WITH_TIMEOUT(result != TMainInstance::AskResult::NotRunning, 30000);
        later.join();
        QCOMPARE(result, TMainInstance::AskResult::Answered);
        QVERIFY2(answer.ok && answer.text.contains(QLatin1String("3 entries added")),
                 qPrintable(answer.text));
        QCOMPARE(form->QueryWeek->RecordCount(), 2);
        QCOMPARE(form->QueryShot->RecordCount(), 1);
    }

    void theCommandLineRunsWithoutADisplay() {
        TestEnvironment env;
        QTemporaryDir runtime;
        ::chmod(QFile::encodeName(runtime.path()).constData(), 0700);
        const QProcessEnvironment e = ToolEnvironment(env, runtime.path());
        const QString in = env.ProgramFolder() + QStringLiteral("tb.ics");
        const QString out = env.ProgramFolder() + QStringLiteral("out.ics");
        WriteBytes(in, Crlf(kThunderbird));

        Run run = RunTool(e, {QStringLiteral("--help")});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains(QLatin1String("--import-ics FILE")));
        run = RunTool(e, {QStringLiteral("--version")});
        QCOMPARE(run.code, 0);
        QVERIFY(run.out.contains(QLatin1String("Quellmire Organizer")));
        run = RunTool(e, {QStringLiteral("--import-ics")});
        QCOMPARE(run.code, 2);
        run =
            RunTool(e, {QStringLiteral("--import-ics"), env.ProgramFolder() + QStringLiteral("missing.ics")});
        QCOMPARE(run.code, 1);
        QVERIFY2(run.err.contains(QLatin1String("missing.ics")) && run.out.isEmpty(), qPrintable(run.err));

        run = RunTool(e, {QStringLiteral("--import-ics"), in});
        QVERIFY2(run.code == 0 && run.out.contains(QLatin1String("3 entries added")),
                 qPrintable(run.out + run.err));
        QCOMPARE(Rows(RealArchiveFile(env)).size(), 3);
        run = RunTool(e, {QStringLiteral("--export-ics"), out});
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QCOMPARE(UidLines(ReadBytes(out)).size(), 3);
        const QString cards = env.ProgramFolder() + QStringLiteral("contacts.vcf");
        TestEnvironment::ExecOnFile(
            QFileInfo(RealArchiveFile(env)).path() + QStringLiteral("/QMcon26.db"),
            QStringLiteral("CREATE TABLE IF NOT EXISTS QMcon26 (codcon INTEGER PRIMARY KEY, "
                           "ragsoc TEXT, indirizzo TEXT, tel TEXT, email TEXT, note TEXT, "
                           "fax TEXT, gruppo TEXT, site TEXT, company TEXT, mobile TEXT, "
                           "allegato TEXT); INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,"
                           "note,fax,gruppo,site,company,mobile,allegato) VALUES ('Zoë "
                           "Adams','','555 1234','','','','','','','','')"));
        run = RunTool(e, {QStringLiteral("--export-vcf"), cards});
        QVERIFY2(run.code == 0 && run.out.contains(QLatin1String("1 contacts")),
                 qPrintable(run.out + run.err));
        QVERIFY(ReadBytes(cards).contains("FN:Zoë Adams"));

        // A running copy (the built program, offscreen) takes the import and answers.
        WriteBytes(env.ProgramFolder() + QStringLiteral("nosplash"), QByteArray());
        QProcess gui;
        QProcessEnvironment guiEnv = e;
        guiEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        gui.setProcessEnvironment(guiEnv);
        gui.start(Program(), {});
        QVERIFY(gui.waitForStarted());
        const auto endGui = qScopeGuard([&gui] {
            gui.kill();
            gui.waitForFinished();
        });
        QDir socketDir(runtime.path());
        QTRY_VERIFY_WITH_TIMEOUT(
            !socketDir.entryList({QStringLiteral("quellmire-*.socket")}, QDir::System).isEmpty(), 30000);
        const QString google = env.ProgramFolder() + QStringLiteral("google.ics");
        WriteBytes(google, Crlf(kGoogle));
        run = RunTool(e, {QStringLiteral("--import-ics"), google});
        QVERIFY2(run.code == 0 && run.out.contains(QLatin1String("8 entries added")),
                 qPrintable(run.out + run.err));
        QCOMPARE(Rows(RealArchiveFile(env)).size(), 3 + 8);
        WriteBytes(google, "BEGIN:VCALENDAR\r\nBROKEN\r");
        run = RunTool(e, {QStringLiteral("--import-ics"), google});
        QVERIFY2(run.code == 1 && run.err.contains(google), qPrintable(run.out + run.err));
        QCOMPARE(gui.state(), QProcess::Running);
    }
};

QTEST_MAIN(TestICalendar)
#include "tst_icalendar.moc"
