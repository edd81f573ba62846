#pragma once

#include "platform/Dialogs.h"

#include <QIcon>
#include <QList>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class QWidget;

namespace qm {

class TPanel;
class TPageControl;
class TCoolTrayIcon;
class TShellEvents;
class TWindowMaximize;

// The window frame: the top bar, the page control with its nine tab sheets, the shared
// right-click menu, the section images and the timers.
struct ShellArea {
    TPanel* panel_credit0 = nullptr; // top bar, in the active section's colour
    QLabel* panel_credit = nullptr;  // caption: clock or title
    QToolButton* SpeedButtonTOP = nullptr;
    QToolButton* SpeedButtonWinSize = nullptr;
    QToolButton* SpeedButtonEXIT = nullptr;
    QToolButton* SpeedButtonAbout = nullptr;
    QToolButton* SpeedButtonHelpOnLine = nullptr;
    QToolButton* SpeedButton_Manual = nullptr;
    QToolButton* SpeedButton1 = nullptr; // donation link
    QToolButton* SpeedButtonAggiornaTutto = nullptr;

    TPageControl* PageControlMenu = nullptr;
    QWidget* TabSheetShot = nullptr;
    QWidget* TabSheetYEAR = nullptr;
    QWidget* TabSheetMonth = nullptr;
    QWidget* TabSheetWEEK = nullptr;
    QWidget* TabSheetTODAY = nullptr;
    QWidget* TabSheetCONTACTS = nullptr;
    QWidget* TabSheetNotes = nullptr;
    QWidget* TabSheetToDo = nullptr;
    QWidget* TabSheetSetup = nullptr;

    QMenu* PopupMenuTabelle = nullptr;
    QMenu* Inserisci1 = nullptr;
    QMenu* ImpegnoTutti = nullptr;
    QAction* Contatto1 = nullptr;
    QAction* Nota1 = nullptr;
    QAction* Todo1 = nullptr;
    QAction* Elimina1 = nullptr;
    QAction* Modifica1 = nullptr;
    QMenu* Stampa2 = nullptr;
    QAction* Anteprima2 = nullptr;
    QAction* Stampa3 = nullptr;
    QAction* Annulla3 = nullptr;

    // Image n is a square in the colour of section n.
    QList<QIcon> ImageList_ColoreSezioni;

    QTimer* TimerOrologio = nullptr;
    QTimer* TimerContolloOrario = nullptr;
    QTimer* TimerRitorna = nullptr;
    QTimer* TimerAppari = nullptr;
    QTimer* TimerFlashTempo = nullptr;

    TCoolTrayIcon* CoolTrayIcon = nullptr;

    // The common dialogs the window's handlers share (the colour sets, the alarm sound, the exports).
    TColorDialog ColorDialog;
    TSaveDialog SaveDialogColor;
    TSaveDialog SaveDialog1;
    TOpenDialog OpenDialogSound;

    // Keys, focus and mouse presses the window must see first (Esc, field colouring, dragging).
    TShellEvents* ShellEvents = nullptr;
    // Maximise and restore under any window manager; whether the window really is maximised.
    TWindowMaximize* WindowMaximize = nullptr;

    // Holders the user never sees: the profile name and the user name.
    QLabel* Label_mistero = nullptr;
    QLabel* Label_Ripetuta = nullptr;
};

} // namespace qm
