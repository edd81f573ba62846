#include "views/AlarmSchedule.h"

#include <QRandomGenerator>
#include <QtTest>
#include <map>

using namespace qm;

namespace {

const QDate kDay(2026, 12, 7);

QDateTime At(int hour, int minute, int second = 0, int ms = 0, const QDate& date = kDay) {
    return QDateTime(date, QTime(hour, minute, second, ms));
}

std::vector<AlarmEntry> Entries(std::initializer_list<std::pair<int, const char*>> list) {
    std::vector<AlarmEntry> entries;
    for (const auto& [minute, title] : list)
        entries.push_back({minute, QString::fromLatin1(title)});
    return entries;
}

QStringList Titles(const std::vector<AlarmEntry>& due) {
    QStringList titles;
    for (const AlarmEntry& entry : due)
        titles << entry.title;
    return titles;
}

} // namespace

class TestAlarmSchedule : public QObject {
    Q_OBJECT
private slots:
    void everyEntryOnceUnderJitter();
    void startAndChangedLists();
    void dateChanges();
};

// Ticks 100 to 1900 ms apart (1 s with up to 900 ms of jitter either way) through a whole day and into
// the next: each entry comes exactly once, in time order, on the first tick inside or after its minute.
void TestAlarmSchedule::everyEntryOnceUnderJitter() {
    for (quint32 seed = 1; seed <= 5; ++seed) {
        QRandomGenerator random(seed);
        std::vector<AlarmEntry> entries;
        for (int i = 0; i < 300; ++i)
            entries.push_back({int(random.bounded(24 * 60)), QString::number(i)});
        AlarmSchedule schedule;
        schedule.Begin(At(0, 0, 0, 0).addMSecs(-1500));
        schedule.SetList(kDay, entries);

        std::map<QString, QDateTime> rungAt;
        QDateTime tick = At(0, 0, 0, 0).addMSecs(-1500);
        QDateTime previous = tick;
        int lastMinute = -1;
        while (tick < At(0, 0, 30, 0, kDay.addDays(1))) {
            for (const AlarmEntry& entry : schedule.Due(tick)) {
                QVERIFY2(rungAt.emplace(entry.title, tick).second, "an entry rang twice");
                QVERIFY(entry.minute >= lastMinute); // time order
                lastMinute = entry.minute;
                const QDateTime due(kDay, QTime(entry.minute / 60, entry.minute % 60));
                // Never before its minute, and on the first tick that reaches it.
                QVERIFY(tick >= due);
                QVERIFY(previous < due);
            }
            previous = tick;
            tick = tick.addMSecs(100 + random.bounded(1801));
        }
        QCOMPARE(rungAt.size(), entries.size());
    }
}

void TestAlarmSchedule::startAndChangedLists() {
    AlarmSchedule schedule;
    // Started inside 08:30: the entries of 08:30 are already past.
    schedule.Begin(At(8, 30, 20));
    schedule.SetList(kDay,
                     Entries({{510, "Past"}, {511, "Next"}, {600, "Ten"}, {610, "Gone"}, {620, "Late"}}));
    QVERIFY(schedule.Due(At(8, 30, 21)).empty());
    QCOMPARE(Titles(schedule.Due(At(8, 31, 0, 400))), QStringList({"Next"}));

    // Two ticks in one minute and a tick that comes back in time ring nothing more.
    QCOMPARE(Titles(schedule.Due(At(10, 0, 0, 40))), QStringList({"Ten"}));
    QVERIFY(schedule.Due(At(10, 0, 0, 990)).empty());
    QVERIFY(schedule.Due(At(9, 59, 59, 500)).empty());
    QVERIFY(schedule.Due(At(10, 0, 59)).empty());

    // The list rebuilt inside 10:05: "Ten" moved to 10:20 rings again there, "Late" moved into the past,
    // "Gone" deleted, an entry added at the current minute takes effect from the next one.
    QVERIFY(schedule.Due(At(10, 5, 10)).empty());
    schedule.SetList(
        kDay,
        Entries({{510, "Past"}, {511, "Next"}, {620, "Ten"}, {605, "Now"}, {606, "Soon"}, {600, "Late"}}));
    QVERIFY(schedule.Due(At(10, 5, 30)).empty());
    QCOMPARE(Titles(schedule.Due(At(10, 30, 0))), QStringList({"Soon", "Ten"}));
    QVERIFY(schedule.Due(At(23, 59, 59)).empty());

    // A list of another day never rings.
    schedule.SetList(kDay.addDays(3), Entries({{1439, "Other day"}}));
    QVERIFY(schedule.Due(At(23, 59, 59, 999)).empty());
}

void TestAlarmSchedule::dateChanges() {
    AlarmSchedule schedule;
    schedule.Begin(At(23, 0));
    schedule.SetList(kDay, Entries({{0, "Yesterday midnight"}, {1438, "Skipped"}, {1439, "Last"}}));
    QVERIFY(schedule.Due(At(23, 57, 10)).empty());

    // A gap over midnight: the new date starts at its first minute; what the ended day still held
    // comes once, late, before anything of the new day.
    schedule.FollowDate(At(0, 0, 1, 10, kDay.addDays(1)));
    QCOMPARE(schedule.Day(), kDay.addDays(1));
    schedule.SetList(kDay.addDays(1), Entries({{0, "Today midnight"}, {1, "Later"}}));
    QCOMPARE(Titles(schedule.Due(At(0, 0, 1, 10, kDay.addDays(1)))),
             QStringList({"Skipped", "Last", "Today midnight"}));
    QVERIFY(schedule.Due(At(0, 0, 59, 0, kDay.addDays(1))).empty());

    // The next day's list built before any tick of the new date: the old tail is kept once.
    const QDate d2 = kDay.addDays(2);
    QCOMPARE(Titles(schedule.Due(At(23, 58, 0, 0, kDay.addDays(1)))), QStringList({"Later"}));
    schedule.SetList(kDay.addDays(1), Entries({{1439, "Tail"}}));
    schedule.SetList(d2, Entries({{0, "D2"}}));
    schedule.FollowDate(At(0, 0, 0, 300, d2));
    QCOMPARE(Titles(schedule.Due(At(0, 0, 0, 400, d2))), QStringList({"Tail", "D2"}));

    // Several days later: one step to the new date; its entries up to now ring at once.
    const QDate d5 = kDay.addDays(5);
    schedule.FollowDate(At(10, 0, 0, 0, d5));
    schedule.SetList(d5, Entries({{60, "One"}, {600, "Ten"}, {601, "After"}}));
    QCOMPARE(Titles(schedule.Due(At(10, 0, 0, 0, d5))), QStringList({"One", "Ten"}));

    // The clock set back a day: nothing of the past rings, nothing carries over.
    schedule.FollowDate(At(12, 0, 0, 0, kDay.addDays(4)));
    schedule.SetList(kDay.addDays(4), Entries({{60, "Past"}, {721, "Ahead"}}));
    QVERIFY(schedule.Due(At(12, 0, 30, 0, kDay.addDays(4))).empty());
    QCOMPARE(Titles(schedule.Due(At(12, 1, 0, 0, kDay.addDays(4)))), QStringList({"Ahead"}));
}

QTEST_GUILESS_MAIN(TestAlarmSchedule)
#include "tst_alarmschedule.moc"
