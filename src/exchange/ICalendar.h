#pragma once

#include <QMap>
#include <QString>

namespace qm {

class TQuery;

// Appointments in and out of iCalendar files (RFC 5545), through libical, which parses, folds,
// escapes and knows the time zones. No widgets: the window, the command line and a running copy
// called by the command line share these.

// Files past this size are refused before they are read.
inline constexpr qint64 kMaxIcsFileSize = 64 * 1024 * 1024;

// Writes the rows of `rows` (a SELECT of every column of QMarc80; opened when closed, its current
// row kept) to `fileName` as one VCALENDAR: a one-shot entry is an event on its date, the weekly,
// monthly and yearly ones recur (WEEKLY;BYDAY, MONTHLY;BYMONTHDAY, YEARLY;BYMONTH;BYMONTHDAY) from
// their first day on or after the stored date. Times are floating local times, an entry without a
// start time is a whole-day event, one with a start time rings (VALARM) at it. The UID of an entry
// is its key and `uidSeed`, so a later export of the same archive keeps it. UTF-8, CRLF, folded.
// The file is replaced only once it is whole. False with `error` naming the file; `written` gets
// the number of events.
bool ExportAppointmentsToIcs(TQuery& rows, const QString& fileName, const QString& uidSeed, int* written,
                             QString* error);

// Every appointment of the archive that `alias` names.
bool ExportAllAppointmentsToIcsFile(const QString& alias, const QString& fileName, int* written,
                                    QString* error);

// The archive's own part of the UIDs: kept in "CalendarId.txt" of the archive folder, made at the
// first export.
QString CalendarUidSeed(const QString& archiveFolder);

// What an import did, for the user.
struct IcsImportSummary {
    int oneShot = 0;
    int weekly = 0;
    int monthly = 0;
    int yearly = 0;
    QMap<QString, int> madeOneShot; // why -> events whose occurrences became one-shot entries
    QMap<QString, int> skipped;     // why -> entries not added
    int shortened = 0;              // titles or notes cut to the 255 characters a column holds
    int Added() const { return oneShot + weekly + monthly + yearly; }
    QString Text(const QString& fileName) const;
};

// Adds the events of `fileName` to the appointments of `alias`, all of them or none, in one
// transaction. A recurrence that a kind of the program expresses exactly becomes that kind (a
// weekly one on several days one weekly entry per day); any other becomes one-shot entries, one
// per occurrence from today to a year ahead; an event over several days one entry per day. Times
// in a time zone or in UTC become local times. An entry that the archive already holds (same
// kind, title, date columns and times) is not added again, so importing a file twice adds nothing.
// False with `error`, one message naming the file and what is wrong, when the file cannot be read
// or is damaged; nothing is added then.
bool ImportIcsFile(const QString& alias, const QString& fileName, IcsImportSummary* summary, QString* error);

} // namespace qm
