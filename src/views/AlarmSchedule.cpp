#include "AlarmSchedule.h"

#include <algorithm>
#include <iterator>

namespace qm {

namespace {

constexpr int kLastMinute = 24 * 60 - 1;

int MinuteOf(const QDateTime& moment) {
    const QTime time = moment.time();
    return time.hour() * 60 + time.minute();
}

// The first entry whose minute lies after `minute`.
std::vector<AlarmEntry>::const_iterator After(const std::vector<AlarmEntry>& entries, int minute) {
    return std::upper_bound(entries.begin(), entries.end(), minute,
                            [](int m, const AlarmEntry& entry) { return m < entry.minute; });
}

} // namespace

void AlarmSchedule::Begin(const QDateTime& now) {
    m_day = now.date();
    m_examined = MinuteOf(now);
    m_late.clear();
}

void AlarmSchedule::SetList(const QDate& date, std::vector<AlarmEntry> entries) {
    // A list of the next day built before the date step: what the old list still held is kept.
    if (m_day.isValid() && date > m_day)
        KeepSkippedTail();
    std::stable_sort(entries.begin(), entries.end(),
                     [](const AlarmEntry& a, const AlarmEntry& b) { return a.minute < b.minute; });
    m_entries = std::move(entries);
    m_listDate = date;
}

void AlarmSchedule::FollowDate(const QDateTime& now) {
    const QDate date = now.date();
    if (date == m_day)
        return;
    if (!m_day.isValid() || date < m_day) {
        Begin(now);
        return;
    }
    KeepSkippedTail();
    m_day = date;
    m_examined = -1;
}

void AlarmSchedule::KeepSkippedTail() {
    if (m_listDate == m_day && m_examined < kLastMinute)
        m_late.insert(m_late.end(), After(m_entries, m_examined), m_entries.cend());
    m_examined = kLastMinute;
}

std::vector<AlarmEntry> AlarmSchedule::Due(const QDateTime& now) {
    FollowDate(now);
    std::vector<AlarmEntry> due;
    due.swap(m_late);
    const int minute = MinuteOf(now);
    if (minute > m_examined) {
        if (m_listDate == m_day)
            due.insert(due.end(), After(m_entries, m_examined), After(m_entries, minute));
        m_examined = minute;
    }
    return due;
}

} // namespace qm
