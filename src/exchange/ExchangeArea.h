#pragma once

#include "platform/Dialogs.h"

class QAction;
class QMenu;
class QToolButton;

namespace qm {

// The print menu of the list tabs, the contacts import button and its menu, and the file dialogs
// of the exports and the contacts exchange file.
struct ExchangeArea {
    QMenu* PopupMenu_STAMPA = nullptr;
    QAction* PrintPreview1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Cancel1 = nullptr;

    QToolButton* SpeedButtonQOC = nullptr; // "Import"
    QMenu* PopupMenuImportaContatti = nullptr;
    QAction* ImportadaRubricaWindows = nullptr; // "Import from Windows address book"
    QAction* ImportadaContattiDaFile = nullptr; // "Import from file"

    TSaveDialog SaveDialogCSV;  // contacts: exchange file or CSV
    TSaveDialog SaveDialogCSV2; // planner and to-do list: CSV
    TOpenDialog OpenDialogQOC;
};

} // namespace qm
