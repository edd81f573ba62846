#include "app/MainForm.h"

// Placeholder bodies until the list views are built.
namespace qm {

void TMainForm::RefreshShotQuery() {}
void TMainForm::RefreshYearQuery() {}
void TMainForm::RefreshMonthQuery() {}
void TMainForm::RefreshWeekQuery() {}
void TMainForm::RefreshContactQuery() {}
void TMainForm::FindContactExact() {}
void TMainForm::RefreshToDoQuery() {}
void TMainForm::RefreshTodayQuery() {}
void TMainForm::RefreshAlarmQuery() {}
void TMainForm::PurgeExpiredOneShots() {}
void TMainForm::ShowZodiacAndSeason() {}

} // namespace qm
