#pragma once

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QToolButton;

namespace qm {

class TPanel;

// The controls of the options tab: options, date formats, colours, look, folders and user facts.
struct OptionsTab {
    TPanel* Panel_Contorno_User = nullptr;
    QCheckBox* CheckBox_Autostart = nullptr;
    QCheckBox* CheckBox_Minimized = nullptr;
    QCheckBox* CheckBox_Soundon = nullptr;
    QCheckBox* CheckBox_Visivo = nullptr;
    QCheckBox* CheckBox_TimeCheck = nullptr;
    QLabel* Label_TimeAlarm = nullptr;
    QToolButton* SpeedButtonSound = nullptr;
    QToolButton* SpeedButtonCambiaSuono = nullptr;
    QToolButton* SpeedButtonWinSound = nullptr;
    QLabel* Label_SoundName = nullptr;

    QComboBox* ComboBox_FormatoDataShot = nullptr;
    QComboBox* ComboBox_FormatoDataYear = nullptr;
    QLabel* Label_esempio_Full = nullptr;
    QLabel* Label_esempio_short = nullptr;
    QToolButton* SpeedButton6 = nullptr; // fix form size
    QLabel* Label_FormSize = nullptr;
    QToolButton* SpeedButton9 = nullptr; // tip

    TPanel* Panel_ShotColor = nullptr;
    TPanel* Panel_YearColor = nullptr;
    TPanel* Panel_MonthColor = nullptr;
    TPanel* Panel_WeekColor = nullptr;
    TPanel* Panel_TodayColor = nullptr;
    TPanel* Panel_ContactColor = nullptr;
    TPanel* Panel_NotesColor = nullptr;
    TPanel* Panel_TodoColor = nullptr;
    TPanel* Panel_UserColor = nullptr;
    QToolButton* SpeedButton5 = nullptr;  // back to the classic colours
    QToolButton* SpeedButton21 = nullptr; // save a colour set
    QToolButton* SpeedButton22 = nullptr; // open a colour set

    QComboBox* ComboBox_UnFont = nullptr;
    QSpinBox* SpinEditTabSize = nullptr;
    QComboBox* ComboBox_Stile = nullptr;
    QToolButton* SpeedButtonIntCharset = nullptr;
    QMenu* PopupMenuIntCharset = nullptr;
    QLineEdit* EditLastLabel = nullptr;
    QCheckBox* CheckBoxAmPm = nullptr;
    QCheckBox* CheckBoxSplash = nullptr;

    QToolButton* SpeedButton_unico = nullptr;
    QToolButton* SpeedButton_Multi = nullptr;
    QToolButton* SpeedButtonExport = nullptr;
    QToolButton* SpeedButtonImport = nullptr;
    QToolButton* SpeedButtonAgente = nullptr;
    QToolButton* SpeedButton18 = nullptr;
    QCheckBox* CheckBox_includeNotes = nullptr;

    QLabel* Label_OSVersion = nullptr;
    QLabel* Label_UserName = nullptr;
    QLabel* Label_Company = nullptr;
    QLabel* Label_Login = nullptr;
    QLabel* Label_Archives_Folder = nullptr;
    QLabel* Label_Notes_Folder = nullptr;
};

} // namespace qm
