#include "app/MainForm.h"

// Placeholder bodies until the appointment dialogs are built.
namespace qm {

void TMainForm::SpeedButtonadShotClick() {}
void TMainForm::SpeedButtonAddYearClick() {}
void TMainForm::SpeedButtonAggMeseClick() {}
void TMainForm::SpeedButtonAggWeekClick() {}
void TMainForm::SpeedButtonModShotClick() {}
void TMainForm::SpeedButtonModYearClick() {}
void TMainForm::SpeedButtonModMeseClick() {}
void TMainForm::SpeedButtonModWeekClick() {}

} // namespace qm
