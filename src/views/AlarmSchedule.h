#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

namespace qm {

// An entry of the alarm list that can ring: its start minute of the day (0 to 1439) and its title.
struct AlarmEntry {
    int minute = 0;
    QString title;
};

// Which entries of the day's alarm list are due, tick by tick. Timer ticks come late, early, twice
// or not at all, so it remembers the last minute it examined rather than waiting for second :00:
// each entry rings once, late when its minute was skipped, never from another day's list.
class AlarmSchedule {
public:
    // The check starts (program start, or switched on): nothing before `now`'s minute rings.
    void Begin(const QDateTime& now);

    // The alarm list was rebuilt for `date`; entries in list order. An entry moved to a minute not
    // yet examined rings there; one moved into the past or deleted does not.
    void SetList(const QDate& date, std::vector<AlarmEntry> entries);

    // A new date: its entries ring from its first minute. Entries of the day just ended that a gap
    // skipped are kept to ring late. A date earlier than the last one (the clock set back) starts
    // afresh from `now`.
    void FollowDate(const QDateTime& now);

    // Every entry due at `now` that has not rung yet, in time order; the examined minute moves on.
    std::vector<AlarmEntry> Due(const QDateTime& now);

    QDate Day() const { return m_day; }
    QDate ListDate() const { return m_listDate; }
    int ListSize() const { return int(m_entries.size()); }

private:
    void KeepSkippedTail();

    QDate m_day;
    int m_examined = -1; // last minute of m_day examined; -1 before the first
    QDate m_listDate;
    std::vector<AlarmEntry> m_entries; // by minute, list order within a minute
    std::vector<AlarmEntry> m_late;    // entries of an ended day that a gap skipped
};

} // namespace qm
