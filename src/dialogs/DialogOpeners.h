#pragma once

#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Modal.h"

#include <memory>

namespace qm {

// Creates a dialog owned by the main window, runs it modally and frees it.
template <typename Dialog> void RunDialog(TMainForm* owner) {
    const auto dialog = std::make_unique<Dialog>(owner);
    RunModal(*dialog);
}

// Runs a modify dialog on the current row of `query`. The dialog's save reopens the list on its first
// row and a new sort may have moved the row, so the list goes back to the row itself by its key; when
// it is no longer listed, to the old row number.
template <typename Dialog> void ModifyCurrentRow(TMainForm* form, TQuery* query, const QString& keyField) {
    if (query->RecordCount() < 1)
        return;
    form->SavedRecNo = query->RecNo();
    const qint64 key = query->FieldByName(keyField).AsInteger();
    RunDialog<Dialog>(form);
    form->RestoreRowByKey(query, keyField, key);
    const int count = query->RecordCount();
    const bool found = count > 0 && query->FieldByName(keyField).AsInteger() == key;
    if (!found && form->SavedRecNo >= 1 && form->SavedRecNo <= count)
        query->SetRecNo(form->SavedRecNo);
}

} // namespace qm
