#include "app/MainForm.h"
#include "desktop/WindowMaximize.h"
#include "engine/EngineError.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace qm {

namespace {

QString YesNo(bool yes) {
    return yes ? QStringLiteral("Y") : QStringLiteral("N");
}

// How an alarm is announced, from the sound and pop-up boxes.
QString SoundOnValue(bool sound, bool popUp) {
    if (sound && !popUp)
        return QStringLiteral("Y");
    if (!sound && popUp)
        return QStringLiteral("V");
    if (sound && popUp)
        return QStringLiteral("2");
    return QStringLiteral("N");
}

} // namespace

// Every option is written from the controls at once, so a box changed without a save (by the
// keyboard, say) is stored with the next one. Values are bound, never spliced: a sound path may
// hold any character.
void TMainForm::SaveOptionSettings() {
    TQuery& query = *Query_Jolly;
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("UPDATE QMset90"));
    query.SQL.Add(QStringLiteral("SET autostart = :autostart,"));
    query.SQL.Add(QStringLiteral("    minimized = :minimized,"));
    query.SQL.Add(QStringLiteral("    soundon   = :soundon,"));
    query.SQL.Add(QStringLiteral("    wavesound = :wavesound,"));
    query.SQL.Add(QStringLiteral("    breakline = :breakline,"));
    query.SQL.Add(QStringLiteral("    formatbar = :formatbar,"));
    query.SQL.Add(QStringLiteral("    timecheck = :timecheck,"));
    query.SQL.Add(QStringLiteral("    DataShot  = :DataShot,"));
    query.SQL.Add(QStringLiteral("    DataYear  = :DataYear,"));
    query.SQL.Add(QStringLiteral("    DataShotIndex  = :DataShotIndex,"));
    query.SQL.Add(QStringLiteral("    DataYearIndex  = :DataYearIndex"));
    query.ParamByName(QStringLiteral("autostart")).SetAsString(YesNo(CheckBox_Autostart->isChecked()));
    query.ParamByName(QStringLiteral("minimized")).SetAsString(YesNo(CheckBox_Minimized->isChecked()));
    query.ParamByName(QStringLiteral("soundon"))
        .SetAsString(SoundOnValue(CheckBox_Soundon->isChecked(), CheckBox_Visivo->isChecked()));
    query.ParamByName(QStringLiteral("wavesound")).SetAsString(AlarmSoundFile);
    query.ParamByName(QStringLiteral("breakline")).SetAsString(YesNo(SpeedButton_Breakline->isChecked()));
    query.ParamByName(QStringLiteral("formatbar")).SetAsString(YesNo(SpeedButton_Formatbar->isChecked()));
    query.ParamByName(QStringLiteral("timecheck")).SetAsString(YesNo(CheckBox_TimeCheck->isChecked()));
    query.ParamByName(QStringLiteral("DataShot")).SetAsString(ComboBox_FormatoDataShot->currentText());
    query.ParamByName(QStringLiteral("DataYear")).SetAsString(ComboBox_FormatoDataYear->currentText());
    query.ParamByName(QStringLiteral("DataShotIndex")).SetAsFloat(ComboBox_FormatoDataShot->currentIndex());
    query.ParamByName(QStringLiteral("DataYearIndex")).SetAsFloat(ComboBox_FormatoDataYear->currentIndex());
    try {
        query.ExecSQL();
    } catch (const EngineError&) {
        // Nothing was stored: the controls show the stored options again. The failed save is the
        // one fault told; a row that cannot even be read back adds nothing to it.
        try {
            LoadSettings();
        } catch (const EngineError&) {
        }
        throw;
    }
}

void TMainForm::CheckBox_AutostartMouseUp() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::CheckBox_MinimizedMouseUp() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::CheckBox_SoundonMouseUp() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::CheckBox_VisivoMouseUp() {
    SaveOptionSettings();
    LoadSettings();
}

void TMainForm::CheckBox_TimeCheckMouseUp() {
    SaveOptionSettings();
    LoadSettings();
}

// The sound controls are of use only while the alarm sounds.
void TMainForm::CheckBox_SoundonClick() {
    const bool sound = CheckBox_Soundon->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{SpeedButtonSound, SpeedButtonCambiaSuono,
                                                            SpeedButtonWinSound, Label_SoundName})
        control->setEnabled(sound);
}

void TMainForm::ComboBox_FormatoDataShotChange() {
    SaveOptionSettings();
    LoadSettings();
    RefreshShotQuery();
}

void TMainForm::ComboBox_FormatoDataYearChange() {
    SaveOptionSettings();
    LoadSettings();
    RefreshYearQuery();
}

// The stored size is applied at the next start; a maximised window keeps the last normal size.
void TMainForm::SpeedButton6Click() {
    if (MessageBox(QStringLiteral("Fix my actual size as default size?"), MsgCaption,
                   MsgYesNo + MsgQuestion) == MsgNo)
        return;
    TQuery& query = *Query_Jolly;
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("UPDATE QMset90"));
    if (WindowMaximize->IsMaximized()) {
        query.SQL.Add(QStringLiteral("SET WinStato  = :WinStato"));
        query.ParamByName(QStringLiteral("WinStato")).SetAsString(QStringLiteral("wsMaximized"));
    } else {
        query.SQL.Add(QStringLiteral("SET WinWidth  = :WinWidth,"));
        query.SQL.Add(QStringLiteral("    WinHeight = :WinHeight,"));
        query.SQL.Add(QStringLiteral("    WinStato  = :WinStato"));
        query.ParamByName(QStringLiteral("WinWidth")).SetAsFloat(width());
        query.ParamByName(QStringLiteral("WinHeight")).SetAsFloat(height());
        query.ParamByName(QStringLiteral("WinStato")).SetAsString(QStringLiteral("wsNormal"));
    }
    query.ExecSQL();
    LoadSettings();
}

void TMainForm::SpeedButton9Click() {
    ShowMessage(QStringLiteral("In this section you can personalize your Quellmire Organizer!"));
}

// The boxes save on the user's click only: LoadSettings ticks them by code and must not write back.
void TMainForm::ConnectOptionsTab() {
    ConnectGuarded(CheckBox_Autostart, &QCheckBox::clicked, this, &TMainForm::CheckBox_AutostartMouseUp);
    ConnectGuarded(CheckBox_Minimized, &QCheckBox::clicked, this, &TMainForm::CheckBox_MinimizedMouseUp);
    ConnectGuarded(CheckBox_Soundon, &QCheckBox::clicked, this, &TMainForm::CheckBox_SoundonMouseUp);
    ConnectGuarded(CheckBox_Visivo, &QCheckBox::clicked, this, &TMainForm::CheckBox_VisivoMouseUp);
    ConnectGuarded(CheckBox_TimeCheck, &QCheckBox::clicked, this, &TMainForm::CheckBox_TimeCheckMouseUp);
    ConnectGuarded(CheckBox_Soundon, &QCheckBox::toggled, this, &TMainForm::CheckBox_SoundonClick);
    ConnectGuarded(ComboBox_FormatoDataShot, &QComboBox::activated, this,
                   &TMainForm::ComboBox_FormatoDataShotChange);
    ConnectGuarded(ComboBox_FormatoDataYear, &QComboBox::activated, this,
                   &TMainForm::ComboBox_FormatoDataYearChange);
    ConnectGuarded(SpeedButton6, &QToolButton::clicked, this, &TMainForm::SpeedButton6Click);
    ConnectGuarded(SpeedButton9, &QToolButton::clicked, this, &TMainForm::SpeedButton9Click);
}

} // namespace qm
