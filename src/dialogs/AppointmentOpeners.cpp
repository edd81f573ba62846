#include "app/MainForm.h"
#include "dialogs/AppointmentDialogs.h"
#include "dialogs/DialogOpeners.h"

namespace qm {

namespace {

const QString kKeyField = QStringLiteral("codimp");

} // namespace

void TMainForm::SpeedButtonadShotClick() {
    RunDialog<TAggShotForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonAddYearClick() {
    RunDialog<TAggYearForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonAggMeseClick() {
    RunDialog<TAggMeseForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonAggWeekClick() {
    RunDialog<TAggWeekForm>(this);
    FormResize();
}

void TMainForm::SpeedButtonModShotClick() {
    ModifyCurrentRow<TModShotForm>(this, QueryShot, kKeyField);
}

void TMainForm::SpeedButtonModYearClick() {
    ModifyCurrentRow<TModYearForm>(this, QueryYear, kKeyField);
}

void TMainForm::SpeedButtonModMeseClick() {
    ModifyCurrentRow<TModMeseForm>(this, QueryMonth, kKeyField);
}

void TMainForm::SpeedButtonModWeekClick() {
    ModifyCurrentRow<TModWeekForm>(this, QueryWeek, kKeyField);
}

} // namespace qm
