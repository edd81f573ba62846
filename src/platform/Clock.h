#pragma once

#include <QDateTime>

// The one source of "now" for the whole program, so that tests can fix the time.
namespace qm {

QDateTime Now();
QDate Today();

// Test seam: while set, Now() returns this moment instead of the system clock.
void SetTestNow(const QDateTime& moment);
void ClearTestNow();

} // namespace qm
