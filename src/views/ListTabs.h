#pragma once

#include "views/AlarmSchedule.h"

#include <QDate>

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QToolButton;
class QDateEdit;
class QCalendarWidget;
class QPlainTextEdit;
class QProgressBar;

namespace qm {

class TPanel;
class TQuery;
class TDBGrid;
class TDBMemo;

// The controls of the list tabs, named as the program has always named them. On the four
// appointment tabs the SpeedButtonPrint... buttons clone and the SpeedButtonDupli... buttons print.

struct ShotTab {
    TQuery* QueryShot = nullptr;
    TPanel* Panel_Contorno_Shot = nullptr;
    TPanel* Panel_Shot = nullptr; // buttons and row count
    TPanel* Panel_Data_Shot = nullptr;
    TDBGrid* DBGrid_Shot = nullptr;
    TDBMemo* DBMemoShot = nullptr;
    QLineEdit* Edit_Find_Shot = nullptr;
    QComboBox* ComboBox_KindFindShot = nullptr;
    QToolButton* SpeedButtonadShot = nullptr;
    QToolButton* SpeedButtonModShot = nullptr;
    QToolButton* SpeedButtonDelShot = nullptr;
    QToolButton* SpeedButtonPrintshot = nullptr;
    QToolButton* SpeedButtonDupliShot = nullptr;
    QToolButton* SpeedButton15 = nullptr;
    QToolButton* SpeedButtonOrderShot = nullptr;
    QToolButton* SpeedButtonClearShot = nullptr;
};

struct YearTab {
    TQuery* QueryYear = nullptr;
    TPanel* Panel_Contorno_Year = nullptr;
    TPanel* Panel_year = nullptr;
    TPanel* Panel_Data_Year = nullptr;
    TDBGrid* DBGrid_Year = nullptr;
    TDBMemo* DBMemoYear = nullptr;
    QLineEdit* Edit_Find_Anno = nullptr;
    QComboBox* ComboBox_KindFindYear = nullptr;
    QComboBox* ComboBox_Month = nullptr;
    QToolButton* SpeedButtonAddYear = nullptr;
    QToolButton* SpeedButtonModYear = nullptr;
    QToolButton* SpeedButtonDelyear = nullptr;
    QToolButton* SpeedButtonPrintyear = nullptr;
    QToolButton* SpeedButtonDupliYear = nullptr;
    QToolButton* SpeedButton13 = nullptr;
    QToolButton* SpeedButtonOrderYear = nullptr;
    QToolButton* SpeedButtonClearYear = nullptr;
};

struct MonthTab {
    TQuery* QueryMonth = nullptr;
    TPanel* Panel_Contorno_Month = nullptr;
    TPanel* Panel_Month = nullptr;
    TPanel* Panel_Data_Month = nullptr;
    TDBGrid* DBGrid_Month = nullptr;
    TDBMemo* DBMemoMonth = nullptr;
    QLineEdit* Edit_Find_Mese = nullptr;
    QComboBox* ComboBox_KindFindMonth = nullptr;
    QToolButton* SpeedButtonAggMese = nullptr;
    QToolButton* SpeedButtonModMese = nullptr;
    QToolButton* SpeedButtonDelMese = nullptr;
    QToolButton* SpeedButtonPrintMese = nullptr;
    QToolButton* SpeedButtonDupliMonth = nullptr;
    QToolButton* SpeedButtonHelpMonth = nullptr;
    QToolButton* SpeedButtonOrderMonth = nullptr;
    QToolButton* SpeedButtonClearMonth = nullptr;
};

struct WeekTab {
    TQuery* QueryWeek = nullptr;
    TPanel* Panel_Contorno_Week = nullptr;
    TPanel* Panel_week = nullptr;
    TPanel* Panel_Data_Week = nullptr;
    TDBGrid* DBGrid_Week = nullptr;
    TDBMemo* DBMemoWeek = nullptr;
    QLineEdit* Edit_Find_Week = nullptr;
    QComboBox* ComboBox_KindFindWeek = nullptr;
    QComboBox* ComboBox_dayofweek = nullptr;
    QToolButton* SpeedButtonAggWeek = nullptr;
    QToolButton* SpeedButtonModWeek = nullptr;
    QToolButton* SpeedButtonDelWeek = nullptr;
    QToolButton* SpeedButtonPrintWeek = nullptr;
    QToolButton* SpeedButtonDupliWeek = nullptr;
    QToolButton* SpeedButtonHelpWeek = nullptr;
    QToolButton* SpeedButtonorderWeek = nullptr;
    QToolButton* SpeedButtonClearWeek = nullptr;
};

struct TodayTab {
    TQuery* QueryTODAY = nullptr;
    TPanel* Panel_Contorno_Today = nullptr;
    TPanel* panel_today = nullptr;
    TPanel* Panel_Data_Today = nullptr;
    TDBGrid* DBGrid_Today = nullptr;
    TDBMemo* DBMemoToday = nullptr;
    QDateEdit* DateTimePickerTODAY = nullptr;
    TPanel* Panel_LATO = nullptr;
    QCalendarWidget* Calendario_Lato = nullptr;
    TPanel* Panel_SegnoStagione = nullptr;
    QLabel* Label_Segno = nullptr;
    QLabel* Label_Stagione = nullptr;
    TPanel* Panel_MEssaggio = nullptr;
    QPlainTextEdit* MemoOrario = nullptr;
    QLabel* Label_Stop = nullptr;
    QToolButton* SpeedButtonClendarioLato = nullptr;
    QToolButton* SpeedButtonToday = nullptr;
    QToolButton* SpeedButton8 = nullptr;  // day before
    QToolButton* SpeedButton11 = nullptr; // day after
    QToolButton* SpeedButtonModToday = nullptr;
    QToolButton* SpeedButtonDelToday = nullptr;
    QToolButton* SpeedButtonFollowToday = nullptr;
    QToolButton* SpeedButtonAddToday = nullptr;
    QToolButton* SpeedButtonPrintToday = nullptr;
    QToolButton* SpeedButtonEportToday = nullptr;
    QToolButton* SpeedButton16 = nullptr;
    QMenu* PopupMenuToday = nullptr;
    QAction* OneShot2 = nullptr;
    QAction* Yearly2 = nullptr;
    QAction* Monthly2 = nullptr;
    QAction* Weekly2 = nullptr;
    // The alarm check's memory of what has rung, and the date the lists were last moved to.
    AlarmSchedule AlarmDue;
    QDate ClockDay;
};

struct ContactsTab {
    TQuery* QueryContact = nullptr;
    TPanel* Panel_Contorno_Contact = nullptr;
    TPanel* panel_contact = nullptr;
    TDBGrid* DBGrid_Contact = nullptr;
    TPanel* Panel_Note_Contact = nullptr;
    TPanel* Panel_Note_Contact2 = nullptr;
    QLineEdit* Edit_ragsoc = nullptr;
    QComboBox* ComboBox_KindFindContact = nullptr;
    QComboBox* ComboBox_Contact_Group = nullptr;
    QToolButton* SpeedButtonAggContact = nullptr;
    QToolButton* SpeedButtonModContact = nullptr;
    QToolButton* SpeedButtonDelContact = nullptr;
    QToolButton* SpeedButtonDupliContact = nullptr;
    QToolButton* SpeedButtonPrintcontact = nullptr;
    QToolButton* SpeedButton23 = nullptr;
    QToolButton* SpeedButtonOrderContact = nullptr;
    QToolButton* SpeedButtonClearName = nullptr;
    QToolButton* SpeedButtonClearGroup = nullptr;
    QToolButton* SpeedButtonCSV = nullptr;
    QToolButton* SpeedButton_ApriAllegato = nullptr;
    QPlainTextEdit* MemoGroup = nullptr;  // group names, one per line
    QToolButton* SpeedButton17 = nullptr; // remove group
    QToolButton* SpeedButton12 = nullptr; // insert group
    TPanel* Panel_FullName = nullptr;     // the current contact's name
    QToolButton* SpeedButtonMailContact = nullptr;
    QToolButton* SpeedButtonTele = nullptr;
    QToolButton* SpeedButtonWeb = nullptr;
};

struct ToDoTab {
    TQuery* QueryToDo = nullptr;
    TPanel* Panel_Contorno_ToDo = nullptr;
    TPanel* Panel_ToDo = nullptr;
    TPanel* Panel_Data_ToDo = nullptr;
    TDBGrid* DBGrid_ToDo = nullptr;
    TDBMemo* DBMemoToDo = nullptr;
    QLineEdit* Edit_Find_ToDo = nullptr;
    QComboBox* ComboBox_KindFindToDo = nullptr;
    QComboBox* ComboBoxToDo = nullptr;
    QComboBox* ComboBoxOrdine = nullptr;
    QProgressBar* GaugePercento = nullptr;
    QToolButton* SpeedButtonAggToDo = nullptr;
    QToolButton* SpeedButtonModToDo = nullptr;
    QToolButton* SpeedButtonDelToDo = nullptr;
    QToolButton* SpeedButtonDupliToDo = nullptr;
    QToolButton* SpeedButtonPrintToDo = nullptr;
    QToolButton* SpeedButtonCheckToDo = nullptr;
    QToolButton* SpeedButton14 = nullptr;
    QToolButton* SpeedButtonExportTodo = nullptr;
    QToolButton* SpeedButtonClearTodo = nullptr;
};

} // namespace qm
