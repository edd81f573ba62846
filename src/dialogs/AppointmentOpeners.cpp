#include "app/MainForm.h"
#include "dialogs/AppointmentDialogs.h"
#include "platform/Modal.h"

#include <memory>

namespace qm {

namespace {

const QString kKeyField = QStringLiteral("codimp");

template <typename Dialog> void RunDialog(TMainForm* owner) {
    const auto dialog = std::make_unique<Dialog>(owner);
    RunModal(*dialog);
}

// The refresh reopens the list on its first row and a new sort may have moved the edited entry,
// so the list is put back on the entry itself; when it is no longer listed, on the old row number.
void PutBackOnKey(TQuery* query, qint64 key, int savedRecNo) {
    const int count = query->RecordCount();
    for (int row = 0; row < count; ++row) {
        if (query->Record(row).FieldByName(kKeyField).AsInteger() == key) {
            query->SetRecNo(row + 1);
            return;
        }
    }
    if (savedRecNo >= 1 && savedRecNo <= count)
        query->SetRecNo(savedRecNo);
}

template <typename Dialog> void ModifyCurrentRow(TMainForm* form, TQuery* query) {
    form->SavedRecNo = query->RecNo();
    const qint64 key = form->SavedRecNo > 0 ? query->FieldByName(kKeyField).AsInteger() : -1;
    RunDialog<Dialog>(form);
    PutBackOnKey(query, key, form->SavedRecNo);
}

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
    ModifyCurrentRow<TModShotForm>(this, QueryShot);
}

void TMainForm::SpeedButtonModYearClick() {
    ModifyCurrentRow<TModYearForm>(this, QueryYear);
}

void TMainForm::SpeedButtonModMeseClick() {
    ModifyCurrentRow<TModMeseForm>(this, QueryMonth);
}

void TMainForm::SpeedButtonModWeekClick() {
    ModifyCurrentRow<TModWeekForm>(this, QueryWeek);
}

} // namespace qm
