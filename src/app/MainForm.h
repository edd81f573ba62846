#pragma once

#include "app/MainFormState.h"
#include "app/ShellArea.h"
#include "desktop/BrowseForFolder.h"
#include "desktop/IconHide.h"
#include "desktop/LumidorAutostart.h"
#include "desktop/MainInstance.h"
#include "desktop/UserComp.h"
#include "exchange/ExchangeArea.h"
#include "notes/NotesTab.h"
#include "store/OptionsTab.h"
#include "views/ListTabs.h"

#include <QWidget>

class QPainter;
class QMouseEvent;
class QRect;
class QListWidget;

namespace qm {

struct RestoreCopy;
struct TCellCanvas;
struct TDrawState;
class TWinAddressBook;

// The main window. One class, because the program treats it as one; its members are declared by
// area (the structs it inherits) and each area's methods live in that area's folder.
class TMainForm : public QWidget,
                  public MainFormState,
                  public ShellArea,
                  public ShotTab,
                  public YearTab,
                  public MonthTab,
                  public WeekTab,
                  public TodayTab,
                  public ContactsTab,
                  public NotesTab,
                  public ToDoTab,
                  public OptionsTab,
                  public ExchangeArea {
    Q_OBJECT
public:
    TMainForm();
    ~TMainForm() override;

    // Set when the engine could not start or the user chose to quit at the colour question:
    // the program ends when the message loop starts.
    bool TerminateRequested() const { return m_terminateRequested; }
    void RequestTerminate();

    TUserComp UserComp1;
    // Asks for the backup, restore, working and favourite folders.
    TBrowseForFolder BrowseForFolderBack{QStringLiteral("     ")};

    // --- start-up road (app/StartupRoad.cpp) ---
    void FormCreate();
    void RemoveTitleBar();
    void FillDayOfWeekCombo();
    void FillMonthCombo();
    void InitPathsAndDefaults();
    void ApplyWorkingFolder();
    void FinishRestore(); // a restore a crash cut short is finished before any table opens
    void ReadLookFiles();
    void RegisterDatabaseAlias();
    void ShowUserInfo();
    static int ScreenColorBits();

    // --- archive tables (store/Archive.cpp) ---
    void CreateArchive();
    void MigrateOldContacts();

    // --- settings row (store/Settings.cpp) ---
    void LoadSettings();
    void LoadEditorFont();
    void SaveOptionSettings();

    // --- section colours and colour sets (store/SectionColors.cpp) ---
    void SaveColorSettings();
    void LoadColorSetFile(const QString& fileName);
    void Panel_ShotColorClick();
    void Panel_YearColorClick();
    void Panel_MonthColorClick();
    void Panel_WeekColorClick();
    void Panel_TodayColorClick();
    void Panel_ContactColorClick();
    void Panel_NotesColorClick();
    void Panel_TodoColorClick();
    void Panel_UserColorClick();
    void SpeedButton5Click();  // "Back"
    void SpeedButton21Click(); // save a colour set
    void SpeedButton22Click(); // open a colour set
    void FillSectionImages();  // ImageList_ColoreSezioni and the menu icons taken from it

    // --- main window shell (app/Shell.cpp) ---
    void ApplySectionColor();
    void PageControlMenuChange();
    void PageControlMenuDrawTab(QPainter& painter, int tabIndex, const QRect& rect, bool active);
    void FormResize();
    void FormShow();
    void FormKeyPress(QChar key);
    void FormMouseDown(QMouseEvent* event);
    void OnFieldEnter(QWidget* sender);
    void OnFieldExit(QWidget* sender);
    void SpeedButtonTOPClick();
    void SpeedButtonWinSizeClick();
    void SpeedButtonHelpOnLineClick();
    void SpeedButton_ManualClick();
    void SpeedButton1Click();
    void SpeedButton16Click();
    void PopupMenuTabellePopup();
    void Elimina1Click();
    void Modifica1Click();
    void ConnectShell(); // binds the handlers above to their controls
    void DisconnectShell();

    // --- view queries (views/ViewQueries.cpp) ---
    void RefreshShotQuery();
    void RefreshYearQuery();
    void RefreshMonthQuery();
    void RefreshWeekQuery();
    void RefreshContactQuery();
    void FindContactExact();
    // The same with a name longer than the find field holds.
    void FindContactExact(const QString& name);
    void RefreshToDoQuery();
    void RefreshTodayQuery();
    void RefreshAlarmQuery();
    void PurgeExpiredOneShots();
    void ShowZodiacAndSeason();

    // --- grid presentation (views/GridPresentation.cpp) ---
    void DataSourceShotDataChange();
    void DataSourceYearDataChange();
    void DataSourceMonthDataChange();
    void DataSourceWeekDataChange();
    void DataSourceTODAYDataChange();
    void DBMemoMouseDown();       // every note memo: the focus goes to the top bar
    void SetupGridPresentation(); // calculated fields, header panels, painting hooks, memos
    void DBGrid_ShotDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                   const TDrawState& state);
    void DBGrid_YearDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                   const TDrawState& state);
    void DBGrid_MonthDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                    const TDrawState& state);
    void DBGrid_WeekDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                   const TDrawState& state);
    void DBGrid_ContactDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                      const TDrawState& state);
    void DBGrid_TodayDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                    const TDrawState& state);

    // --- list tab actions (views/ListTabActions.cpp) ---
    void SpeedButtonDelShotClick();
    void SpeedButtonDelyearClick();
    void SpeedButtonDelMeseClick();
    void SpeedButtonDelWeekClick();
    void SpeedButtonDelContactClick();
    void SpeedButtonPrintshotClick();
    void SpeedButtonPrintyearClick();
    void SpeedButtonPrintMeseClick();
    void SpeedButtonPrintWeekClick();
    void SpeedButtonDupliContactClick();
    void QueryShotAfterOpen();
    void QueryYearAfterOpen();
    void QueryMonthAfterOpen();
    void QueryWeekAfterOpen();
    void QueryContactAfterOpen();
    void SpeedButton15Click();
    void SpeedButton13Click();
    void SpeedButtonHelpMonthClick();
    void SpeedButtonHelpWeekClick();
    void SpeedButton23Click();
    void Edit_Find_ShotChange();
    void Edit_Find_AnnoChange();
    void Edit_Find_MeseChange();
    void Edit_Find_WeekChange();
    void Edit_ragsocChange();
    void SpeedButtonClearShotClick();
    void SpeedButtonClearYearClick();
    void SpeedButtonClearMonthClick();
    void SpeedButtonClearWeekClick();
    void SpeedButtonClearNameClick();
    void ComboBox_KindFindShotClick();
    void ComboBox_KindFindYearClick();
    void ComboBox_KindFindMonthClick();
    void ComboBox_KindFindWeekClick();
    void ComboBox_KindFindContactClick();
    void SpeedButtonOrderShotClick();
    void SpeedButtonOrderYearClick();
    void SpeedButtonOrderMonthClick();
    void SpeedButtonorderWeekClick();
    void SpeedButtonOrderContactClick();
    void DBGrid_ShotDblClick();
    void DBGrid_YearDblClick();
    void DBGrid_MonthDblClick();
    void DBGrid_WeekDblClick();
    void DBGrid_ContactDblClick();
    void DBGrid_ShotKeyPress(QChar key);
    void DBGrid_YearKeyPress(QChar key);
    void DBGrid_MonthKeyPress(QChar key);
    void DBGrid_WeekKeyPress(QChar key);
    void DBGrid_ContactKeyPress(QChar key);
    void ComboBox_MonthChange();
    void ComboBox_dayofweekChange();
    void ComboBox_Contact_GroupChange();
    void SpeedButtonClearGroupClick();
    // Puts the list on the row whose key column holds `key` (the modify dialogs re-sort the list).
    void RestoreRowByKey(TQuery* query, const QString& keyField, qint64 key);
    void ConnectListTabs(); // views/ListTabWiring.cpp
    // The lists that are not on screen at start open when first shown or read, or one per idle
    // turn once the window shows, exactly as the start-up road would have opened them
    // (views/ListTabOpening.cpp).
    void DeferStartupLists();
    void OpenListAsAtStart(void (TMainForm::*refresh)());
    void OpenNextDeferredList();

    // --- Contacts tab details and groups (views/ContactsDetail.cpp) ---
    void DataSourcecontattiDataChange();
    void SpeedButtonMailContactClick();
    void SpeedButtonWebClick();
    void SpeedButton_ApriAllegatoClick();
    void SpeedButton12Click(); // insert group
    void SpeedButton17Click(); // remove group
    void SaveGroupList();
    void ConnectContactsTab();
    // The contact dialogs' openers (dialogs/ContactDialogs.cpp).
    void SpeedButtonAggContactClick();
    void SpeedButtonModContactClick();

    // --- opening the appointment dialogs (dialogs/AppointmentOpeners.cpp) ---
    void SpeedButtonadShotClick();
    void SpeedButtonAddYearClick();
    void SpeedButtonAggMeseClick();
    void SpeedButtonAggWeekClick();
    void SpeedButtonModShotClick();
    void SpeedButtonModYearClick();
    void SpeedButtonModMeseClick();
    void SpeedButtonModWeekClick();

    // --- options tab (store/OptionSettings.cpp) ---
    void CheckBox_AutostartMouseUp();
    void CheckBox_MinimizedMouseUp();
    void CheckBox_SoundonMouseUp();
    void CheckBox_VisivoMouseUp();
    void CheckBox_TimeCheckMouseUp();
    void CheckBox_SoundonClick();
    void ComboBox_FormatoDataShotChange();
    void ComboBox_FormatoDataYearChange();
    void SpeedButton6Click(); // "Fix form size"
    void SpeedButton9Click(); // tip
    void ConnectOptionsTab();

    // --- working folder, backup and restore (store/WorkingFolder.cpp) ---
    void SpeedButton_unicoClick(); // "Use"
    void SpeedButton_MultiClick(); // "Auto"
    void SpeedButtonExportClick(); // "Backup to..."
    void SpeedButtonImportClick(); // "Restore from...": plans the restore, then runs it
    void RunRestore(const QList<RestoreCopy>& copies, qsizetype inPlace);
    void SpeedButtonAgenteClick(); // "Enable agent"
    void SpeedButton18Click();     // "Windows"
    void EndAfterArchiveChange();  // a changed note is offered for saving, then the program ends
    void ConnectWorkingFolder();

    // --- To-Do tab (views/ToDoTab.cpp) ---
    void SpeedButtonDelToDoClick();
    void SpeedButtonDupliToDoClick();
    void SpeedButtonCheckToDoClick();
    void SpeedButton14Click();
    void QueryToDoAfterOpen();
    void Edit_Find_ToDoChange();
    void SpeedButtonClearTodoClick();
    void ComboBox_KindFindToDoClick();
    void ComboBoxToDoChange();
    void DBGrid_ToDoDblClick();
    void DBGrid_ToDoKeyPress(QChar key);
    void DataSourceToDoDataChange();
    void DBGrid_ToDoDrawColumnCell(TCellCanvas& canvas, const TRecord& record, int column,
                                   const TDrawState& state);
    void PlaceToDoGauge(); // over the "%" and "Note" columns
    void ConnectToDoTab();
    // The to-do dialogs' openers (dialogs/ToDoDialogs.cpp).
    void SpeedButtonAggToDoClick();
    void SpeedButtonModToDoClick();

    // --- window look (store/WindowLook.cpp) ---
    void EditLastLabelChange();
    void ComboBox_UnFontChange();
    void SpinEditTabSizeChange();
    void ComboBox_StileChange();
    void SpeedButtonIntCharsetClick();
    void SpeedButtonIntCharsetDblClick();
    void MenuItemIntCharsetClick(int charset); // every item of PopupMenuIntCharset
    void CheckBoxAmPmClick();
    void CheckBoxSplashClick();
    void ConnectWindowLook();

    // --- window showing and the quit road (app/QuitRoad.cpp) ---
    void SpeedButtonEXITClick();
    void TimerFlashTempoTimer();
    void ConnectQuitRoad();
    void CentreOnScreen();
    // True once the quit road has agreed to end the program.
    bool QuitConfirmed() const { return m_quitConfirmed; }
    // The tray menu, the taskbar button and start with the session (app/WindowShowing.cpp).
    void CoolTrayIconClick();
    void Open1Click();
    void TrayTabItemClick(QWidget* tabSheet); // the nine section items of the tray menu
    void TimerRitornaTimer();
    void TimerAppariTimer();
    void SpeedButton_MINIMIZEClick();
    void SpeedButton20Click(); // "Place in tray"
    void RefreshTrayMenuImages();
    void ConnectWindowShowing();
    QMenu* PopupMenuTray = nullptr;
    QList<QAction*> TrayTabItems; // "One Shot" ... "Options", in tab order
    QAction* Open1 = nullptr;
    QAction* Closequellmire1 = nullptr;
    QToolButton* SpeedButton_MINIMIZE = nullptr;
    QToolButton* SpeedButton20 = nullptr;
    TIconHide IconHide1{this};
    TLumidorAutostart LumidorAutostart{QStringLiteral("Vorlin 4#Autostart")};

    // --- command line (app/CommandLine.cpp) ---
    void ProcessCommandLine();
    // A later start handed its command line over (words each followed by a blank): the window comes
    // forward, and a "DIAL" there dials its number here. The later start ends by itself, so its
    // "KILL" does not end this one.
    void CalledByLaterStart(const QString& text);

    // --- Tasks view (views/TasksView.cpp) ---
    void QueryTODAYAfterOpen();
    void DateTimePickerTODAYCloseUp();
    void SpeedButton8Click();  // day before
    void SpeedButton11Click(); // day after
    void SpeedButtonTodayClick();
    void Calendario_LatoClick();
    void SpeedButtonClendarioLatoClick();
    void DBGrid_TodayDblClick();
    void DBGrid_TodayKeyPress(QChar key);
    void SpeedButtonModTodayClick();
    void SpeedButtonFollowTodayClick();
    void SpeedButtonDelTodayClick();
    void SpeedButtonAddTodayClick();
    void OneShot2Click();
    void Yearly2Click();
    void Monthly2Click();
    void Weekly2Click();
    void SpeedButtonAggiornaTuttoClick();
    void ConnectTasksView();

    // --- alarm check, clock and alarm sound (views/AlarmClock.cpp) ---
    void TimerContolloOrarioTimer();
    void TimerOrologioTimer();
    void MemoOrarioClick();
    void SpeedButtonSoundClick();
    void SpeedButtonWinSoundClick();
    void SpeedButtonCambiaSuonoClick();
    void Label_SoundNameMouseMove();
    // The caption label's text: the clock while the application is active, the title otherwise.
    QString ClockCaption(bool applicationActive) const;
    // Hands the rebuilt alarm list of `day` to the alarm check.
    void AlarmListRebuilt(const QDate& day);
    // The day step, on the first tick of a new date, whichever timer ticks first.
    void ChangeDayWhenDue(const QDateTime& now);
    void RingAlarm(const std::vector<AlarmEntry>& due);
    void ConnectAlarmClock();

    // --- About box (dialogs/AboutForm.cpp) ---
    void SpeedButtonAboutClick();
    void ConnectAbout();

    // --- CSV export, contacts exchange file, printing (exchange/) ---
    void SpeedButtonCSVClick();
    void SaveDialogCSVTypeChange(int filterIndex);
    void SpeedButtonQOCClick();
    void ImportadaContattiDaFileClick();
    void SpeedButtonEportTodayClick();
    void SpeedButtonExportTodoClick();
    void PrintButtonClick(QWidget* button); // every tab's "Print" button: the print menu under it
    void PrintPreview1Click();
    void Print1Click();
    void ConnectExchange();

    // --- calendar files: the appointment lists' menu, a later start's import (exchange/CalendarFiles.cpp)
    // ---
    QAction* CalendarSeparator = nullptr;
    QAction* ExportCalendar1 = nullptr;    // "Export calendar (visibles)..."
    QAction* ExportCalendarAll1 = nullptr; // "Export calendar (all appointments)..."
    QAction* ImportCalendar1 = nullptr;    // "Import calendar..."
    TSaveDialog SaveDialogICS;
    TOpenDialog OpenDialogICS;
    void ConnectCalendarFiles();
    void CalendarMenuPopup();
    TQuery* CalendarListQuery() const; // the appointment list on screen, if any
    bool AskCalendarFile(const QString& proposed);
    void ExportCalendar1Click();
    void ExportCalendarAll1Click();
    void ImportCalendar1Click();
    // Adds the events of an .ics file and refreshes the lists; `text` is the summary or the error.
    bool ImportCalendarFile(const QString& fileName, QString* text);
    // A request of a later start that waits for the answer (its --import-ics).
    TMainInstance::Answer CalledToDo(const QStringList& words);

    // --- address book import (desktop/AddressBookImport.cpp) ---
    TWinAddressBook* wab = nullptr;
    QListWidget* ListBoxWab = nullptr; // hidden: the names of the address book
    void ImportadallarubricadiOutlookExpress1Click();
    void SpeedButtonTeleClick();
    void ConnectAddressBook(); // makes wab and ListBoxWab

    // --- Notes tab, editor, note dialogs and dropped files (notes/) ---
    QString NoteListFileName() const; // the selected file's path, "" when none
    void NoteListUpdate();            // reads the folder again; nothing stays selected
    void NoteListSetDirectory(const QString& folder);
    void NoteListSetMask(const QString& mask);
    void NoteListShowPath(const QString& path);
    void LoadEditorFromFile(const QString& path);
    void SaveEditorToFile(const QString& path);
    void FileListBoxNoteClick();
    // Before the editor's text is replaced: asks to save a changed note (Yes writes it).
    void AskToSaveChangedNote();
    void FileListBoxNotePicked(); // the user picked a note in the list
    void FileListBoxNoteChange();
    void FileListBoxNoteDblClick();
    void EditorChange();
    void SpeedButtonUpdateClick();
    void SpeedButtonDelnoteClick();
    void SpeedButtonAggNoteClick();
    void SpeedButtonmodNoteClick();
    void SpeedButtonLanciaClick();
    void SpeedButton_NoteHomeClick();
    void SpeedButtonRinfrescaNoteClick();
    void Edit_FiltrafileChange();
    void Edit_FiltrafileClick();
    void Edit_FiltrafileDblClick();
    void SpeedButtonSpiegazioneImpegnoClick();
    void SpeedButtonSaveAsClick();
    void SaveDialog1TypeChange();
    void SpeedButtonAggDataClick();
    void SpeedButtonStatClick();
    void SpeedButton_CharMapClick();
    void SpeedButton_CalcClick();
    void SpeedButtonRestoreNoteClick();
    void SpeedButton_BreaklineClick();
    void SpeedButton_FormatbarClick();
    void Panel_CharSetClick();
    void CharSetItemClick(int charset); // every item of PopupMenu_CharSet
    void SpeedButtonFindClick();
    void FindDialog1Find(const QString& searchText);
    // Asks to save a changed note before quitting; false when the note could not be written.
    bool AskToSaveNoteBeforeQuit();
    void HandleDroppedFile(const QString& path);
    void ConnectDroppedFiles(); // drops on any control of the window come to dropEvent
    void ConnectNotesTab();
    // (notes/NotesEditorFont.cpp)
    void ComboBox_FontsChange();
    void SpinEdit_SizeChange();
    void Panel_Font_ColorClick();
    void Panel_Editor_ColorClick();
    void SpeedButton_Aggiorna_Editor_SetupClick();
    void SpeedButton2Click(); // favourite folders (notes/NoteFavourites.cpp)
    // (notes/NotesExtras.cpp)
    void SpeedButton7Click(); // opens the listed folder
    void SpeedButton10Click();
    void SpeedButtonPrintNoteClick();
    void SpeedButtonImportTextClick();
    void SpeedButtonOpenClick(); // shows or hides the list
    void SplitterNoteCanResize();
    void SpeedButtonExeguiSelezioneClick();
    void ConnectNotesExtras();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Builders of each area's controls (in the area's folder).
    void BuildShell();
    void BuildAppointmentTabs();
    void BuildTodayTab();
    void BuildContactsTab();
    void BuildNotesTab();
    void BuildToDoTab();
    void BuildOptionsTab();
    void BuildQueries();

    bool m_terminateRequested = false;
    bool m_quitConfirmed = false;
    bool m_inFormCreate = false;
    bool m_sectionColorsPainted = false; // once a settings row has coloured the window
};

// The one main window of the process; other units reach it only through this.
extern TMainForm* MainForm;

} // namespace qm
