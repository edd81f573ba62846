#include "app/MainForm.h"
#include "engine/DataControls.h"
#include "engine/EngineError.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/Contrast.h"
#include "platform/DateFormat.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "platform/widgets/Panel.h"
#include "store/SectionColors.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// The colour columns of the settings row, in section order.
const char* const kColorColumns[SectionCount] = {"ShotColor",  "YearColor",  "MonthColor",
                                                 "WeekColor",  "TodayColor", "ContactColor",
                                                 "NotesColor", "TodoColor",  "UserColor"};

void OpenSettingsRow(TQuery& query) {
    query.Close();
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("SELECT * FROM QMset90"));
    query.Open();
    if (query.RecordCount() == 0)
        throw EngineError(QStringLiteral("The settings table QMset90 has no row."));
}

QString Text(const TQuery& query, const char* column) {
    return query.FieldByName(QString::fromLatin1(column)).AsString();
}

bool IsYes(const TQuery& query, const char* column) {
    return Text(query, column) == QLatin1String("Y");
}

// An unreadable colour text gives `fallback`; the text is noted so the user is told once.
TColor ReadColor(const TQuery& query, const char* column, TColor fallback, QStringList& unreadable) {
    const QString text = Text(query, column);
    if (const std::optional<TColor> color = StringToColor(text))
        return *color;
    unreadable << InvalidColorMessage(text);
    return fallback;
}

void TellUnreadableColors(const TMainForm& form, const QStringList& unreadable) {
    if (unreadable.isEmpty())
        return;
    MessageBox(QStringLiteral("Some colors of the settings cannot be read, so the classic ones are used:\r") +
                   unreadable.join(u'\r'),
               form.MsgCaption, form.MsgOk + form.MsgExclamation);
}

// The combo shows the format in use: every save of options writes the combo's text back, so an
// item that differs from the stored text would change the lists behind the user's back (the
// default row's index names another item than its text). A text the list lacks falls back to the
// stored item, and an item outside the list (written by another tool) to the first: a combo left on
// no item would make the next save store an empty format.
void SetFormatIndex(QComboBox* combo, const QString& format, const TQuery& query, const char* column) {
    const int shown = combo->findText(format);
    if (shown >= 0) {
        combo->setCurrentIndex(shown);
        return;
    }
    const double stored = query.FieldByName(QString::fromLatin1(column)).AsFloat();
    const bool inList = stored >= 0 && stored < combo->count() && stored == std::floor(stored);
    combo->setCurrentIndex(inList ? int(stored) : 0);
}

void SetBaseColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, color);
    widget->setPalette(palette);
}

void SetBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The title band of a month calendar: its navigation bar, painted in the bar's background role.
void SetCalendarTitleColor(QCalendarWidget* calendar, const QColor& color) {
    if (!calendar)
        return;
    if (auto* bar = calendar->findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))) {
        QPalette palette = bar->palette();
        palette.setColor(bar->backgroundRole(), color);
        // The month and year on the band keep their white where it reads, and darken where not.
        const QColor ink = InkAgainst(QColor(Qt::white), color);
        for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text,
                                               QPalette::HighlightedText, bar->foregroundRole()})
            palette.setColor(role, ink);
        bar->setPalette(palette);
        for (QToolButton* child : bar->findChildren<QToolButton*>()) {
            QPalette own = child->palette();
            for (const QPalette::ColorRole role :
                 {QPalette::WindowText, QPalette::ButtonText, QPalette::Text, child->foregroundRole()})
                own.setColor(role, ink);
            child->setPalette(own);
        }
    }
}

// The section colours on every part of the window that shows them.
void PaintSectionColors(TMainForm& form) {
    const SectionColorSet& c = form.SectionColors;

    // Swatches, section frames, grid titles, note fields.
    TPanel* const swatches[SectionCount] = {
        form.Panel_ShotColor,  form.Panel_YearColor,  form.Panel_MonthColor,
        form.Panel_WeekColor,  form.Panel_TodayColor, form.Panel_ContactColor,
        form.Panel_NotesColor, form.Panel_TodoColor,  form.Panel_UserColor};
    for (int section = 0; section < SectionCount; ++section)
        swatches[section]->SetColor(c[section]);
    form.Panel_Contorno_Shot->SetColor(c.ShotColor);
    form.Panel_Contorno_Year->SetColor(c.YearColor);
    form.Panel_Contorno_Month->SetColor(c.MonthColor);
    form.Panel_Contorno_Week->SetColor(c.WeekColor);
    form.Panel_Contorno_Today->SetColor(c.TodayColor);
    form.Panel_Contorno_Contact->SetColor(c.ContactColor);
    SetBackground(form.SplitterNote, ToQColor(c.NotesColor));
    form.Panel_Contorno_Notes2->SetColor(c.NotesColor);
    form.Panel_Contorno_ToDo->SetColor(c.TodoColor);
    form.Panel_Contorno_User->SetColor(c.UserColor);
    form.DBGrid_Shot->SetFixedColor(ToQColor(c.ShotColor));
    form.DBGrid_Year->SetFixedColor(ToQColor(c.YearColor));
    form.DBGrid_Month->SetFixedColor(ToQColor(c.MonthColor));
    form.DBGrid_Week->SetFixedColor(ToQColor(c.WeekColor));
    form.DBGrid_Today->SetFixedColor(ToQColor(c.TodayColor));
    form.DBGrid_Contact->SetFixedColor(ToQColor(c.ContactColor));
    form.DBGrid_ToDo->SetFixedColor(ToQColor(c.TodoColor));
    SetBaseColor(form.DBMemoShot, ToQColor(c.ShotColor));
    SetBaseColor(form.DBMemoYear, ToQColor(c.YearColor));
    SetBaseColor(form.DBMemoMonth, ToQColor(c.MonthColor));
    SetBaseColor(form.DBMemoWeek, ToQColor(c.WeekColor));
    SetBaseColor(form.DBMemoToday, ToQColor(c.TodayColor));
    form.Panel_Note_Contact->SetColor(c.ContactColor);
    form.Panel_Note_Contact2->SetColor(c.ContactColor);
    SetBaseColor(form.DBMemoToDo, ToQColor(c.TodoColor));

    // The day picker is tinted only while it shows today.
    SetBaseColor(form.DateTimePickerTODAY,
                 ToQColor(form.DateTimePickerTODAY->date() == Today() ? c.TodayColor : Colors::clWhite));

    SetCalendarTitleColor(form.DateTimePickerTODAY->calendarWidget(), ToQColor(c.TodayColor));
    SetCalendarTitleColor(form.Calendario_Lato, ToQColor(c.TodayColor));
    form.Panel_SegnoStagione->SetColor(c.TodayColor);
    form.Panel_nomeCompleto->SetColor(c.NotesColor);

    // Section images, and the tabs painted again in the new colours.
    form.FillSectionImages();
    form.PageControlMenu->tabBar()->update();
}

} // namespace

void TMainForm::LoadSettings() {
    // The row, left open for the start-up road and the start-up timer.
    try {
        OpenSettingsRow(*QueryParam);
    } catch (const EngineError&) {
        // A window that never had its colours takes the classic ones rather than none (black).
        if (!m_sectionColorsPainted) {
            SectionColors = ClassicSectionColors();
            PaintSectionColors(*this);
        }
        throw;
    }
    const TQuery& row = *QueryParam;

    // Date formats: the samples show the stored text, and so do the combos where they can.
    ShotDateFormat = Text(row, "DataShot");
    SetFormatIndex(ComboBox_FormatoDataShot, ShotDateFormat, row, "DataShotIndex");
    Label_esempio_Full->setText(FormatDateTime(ShotDateFormat, Today()));
    YearDateFormat = Text(row, "DataYear");
    SetFormatIndex(ComboBox_FormatoDataYear, YearDateFormat, row, "DataYearIndex");
    Label_esempio_short->setText(FormatDateTime(YearDateFormat, Today()));

    // Start at login: the box, then the login entry that follows it.
    CheckBox_Autostart->setChecked(IsYes(row, "autostart"));
    LumidorAutostart.SetAutostart(CheckBox_Autostart->isChecked());

    AlarmSoundFile = Text(row, "wavesound");
    CheckBox_Minimized->setChecked(IsYes(row, "minimized"));

    // Any other text leaves both boxes as they are.
    const QString soundOn = Text(row, "soundon");
    if (soundOn == QLatin1String("Y")) {
        CheckBox_Soundon->setChecked(true);
        CheckBox_Visivo->setChecked(false);
    } else if (soundOn == QLatin1String("V")) {
        CheckBox_Soundon->setChecked(false);
        CheckBox_Visivo->setChecked(true);
    } else if (soundOn == QLatin1String("2")) {
        CheckBox_Soundon->setChecked(true);
        CheckBox_Visivo->setChecked(true);
    } else if (soundOn == QLatin1String("N")) {
        CheckBox_Soundon->setChecked(false);
        CheckBox_Visivo->setChecked(false);
    }

    // Word wrap: wrapped lines need no horizontal scroll bar.
    const bool breakLine = IsYes(row, "breakline");
    Editor->setLineWrapMode(breakLine ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Editor->setHorizontalScrollBarPolicy(breakLine ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
    Editor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SpeedButton_Breakline->setChecked(breakLine);

    const bool formatBar = IsYes(row, "formatbar");
    Panel_Format->setVisible(formatBar);
    SpeedButton_Formatbar->setChecked(formatBar);

    // The alarm check.
    if (IsYes(row, "timecheck")) {
        // An appointments table that cannot be used has been reported; the settings after it still apply.
        Guarded([this] { RefreshAlarmQuery(); });
        CheckBox_TimeCheck->setChecked(true);
        if (!TimerContolloOrario->isActive())
            TimerContolloOrario->start();
    } else {
        CheckBox_TimeCheck->setChecked(false);
        TimerContolloOrario->stop();
    }

    // Each colour on its own: one unreadable text must not cost the others.
    QStringList unreadable;
    const SectionColorSet& classic = ClassicSectionColors();
    for (int section = 0; section < SectionCount; ++section)
        SectionColors[section] = ReadColor(row, kColorColumns[section], classic[section], unreadable);
    PaintSectionColors(*this);
    m_sectionColorsPainted = true;

    CheckBox_SoundonClick();

    TellUnreadableColors(*this, unreadable);
}

void TMainForm::LoadEditorFont() {
    OpenSettingsRow(*QueryParam);
    const TQuery& row = *QueryParam;
    QStringList unreadable;

    ComboBox_Fonts->setCurrentText(Text(row, "fontname"));
    QFont font = Editor->font();
    font.setFamily(ComboBox_Fonts->currentText());

    Panel_Font_Color->SetColor(ReadColor(row, "fontcolor", Colors::clBlack, unreadable));
    Panel_Editor_Color->SetColor(ReadColor(row, "backcolor", Colors::clWhite, unreadable));
    QPalette palette = Editor->palette();
    palette.setColor(QPalette::Text, ToQColor(Panel_Font_Color->Color()));
    palette.setColor(QPalette::Base, ToQColor(Panel_Editor_Color->Color()));
    Editor->setPalette(palette);

    // The size box holds 8 to 72 and brings any other size to the nearer bound.
    const double size = std::clamp(row.FieldByName(QStringLiteral("fontsize")).AsFloat(), -1e6, 1e6);
    SpinEdit_Size->setValue(qRound(size));
    font.setPointSize(SpinEdit_Size->value());
    Editor->setFont(font);

    // What the editor shows now is what is stored.
    SpeedButton_Aggiorna_Editor_Setup->setEnabled(false);
    TellUnreadableColors(*this, unreadable);
}

} // namespace qm
