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

template <typename Dialog> void ModifyCurrentRow(TMainForm* form, TQuery* query) {
    form->SavedRecNo = query->RecNo();
    const qint64 key = form->SavedRecNo > 0 ? query->FieldByName(kKeyField).AsInteger() : -1;
    RunDialog<Dialog>(form);
    // The refresh reopens the list on its first row and a new sort may have moved the entry, so
    // the list goes back to the entry itself; when it is no longer listed, to the old row number.
    form->RestoreRowByKey(query, kKeyField, key);
    const int count = query->RecordCount();
    const bool found = count > 0 && query->FieldByName(kKeyField).AsInteger() == key;
    if (!found && form->SavedRecNo >= 1 && form->SavedRecNo <= count)
        query->SetRecNo(form->SavedRecNo);
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
