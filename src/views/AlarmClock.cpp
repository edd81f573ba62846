#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/DesktopNotifier.h"
#include "platform/Application.h"
#include "platform/Clock.h"
#include "platform/ColorText.h"
#include "platform/DateFormat.h"
#include "platform/ProgramFolder.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTimer>
#include <QToolButton>

// The alarm check and the clock run on the main window's one-second timers, in the one thread.
namespace qm {

namespace {

const QString kMailBeep = QStringLiteral("mailbeep");

void SetMessageLook(QPlainTextEdit* memo, TColor background, TColor font, Qt::CursorShape cursor) {
    QPalette palette = memo->palette();
    palette.setColor(QPalette::Base, ToQColor(background));
    palette.setColor(QPalette::Text, ToQColor(font));
    memo->setPalette(palette);
    memo->viewport()->setCursor(cursor);
}

void SetLabelColor(QLabel* label, TColor color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, ToQColor(color));
    label->setPalette(palette);
}

bool IsExistingFile(const QString& path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// A click on the message acknowledges the alarm; the hint of the sound's name is brought up to date
// before it is shown.
// The watched widgets are compared by address only: events still arrive while the window is being
// torn down, when the memo may no longer be one.
class AlarmClockEvents : public QObject {
public:
    AlarmClockEvents(TMainForm* form, QObject* messageViewport, QObject* soundLabel)
        : QObject(form), m_form(form), m_messageViewport(messageViewport), m_soundLabel(soundLabel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_messageViewport && event->type() == QEvent::MouseButtonPress)
            Guarded([this] { m_form->MemoOrarioClick(); });
        else if (watched == m_soundLabel &&
                 (event->type() == QEvent::Enter || event->type() == QEvent::ToolTip))
            m_form->Label_SoundNameMouseMove();
        return false;
    }

private:
    TMainForm* m_form;
    QObject* m_messageViewport;
    QObject* m_soundLabel;
};

// The desktop's own notification of an alarm, which a window in the background cannot give;
// choosing it shows the Tasks tab, as the tray menu's item does.
void NotifyDesktop(TMainForm* form, const std::vector<AlarmEntry>& due) {
    auto* notifier = form->findChild<DesktopNotifier*>(QString(), Qt::FindDirectChildrenOnly);
    if (!notifier) {
        notifier = new DesktopNotifier(form);
        ConnectGuarded(notifier, &DesktopNotifier::DefaultAction, form,
                       [form] { form->TrayTabItemClick(form->TabSheetTODAY); });
    }
    QStringList lines;
    for (const AlarmEntry& entry : due)
        lines << QTime(entry.minute / 60, entry.minute % 60).toString(QStringLiteral("HH:mm")) +
                     QStringLiteral("  ") + entry.title;
    notifier->Notify(QStringLiteral("It's time to..."), lines.join(u'\n'));
}

} // namespace

void TMainForm::ConnectAlarmClock() {
    ConnectGuarded(TimerContolloOrario, &QTimer::timeout, this, &TMainForm::TimerContolloOrarioTimer);
    ConnectGuarded(TimerOrologio, &QTimer::timeout, this, &TMainForm::TimerOrologioTimer);
    ConnectGuarded(SpeedButtonSound, &QToolButton::clicked, this, &TMainForm::SpeedButtonSoundClick);
    ConnectGuarded(SpeedButtonWinSound, &QToolButton::clicked, this, &TMainForm::SpeedButtonWinSoundClick);
    ConnectGuarded(SpeedButtonCambiaSuono, &QToolButton::clicked, this,
                   &TMainForm::SpeedButtonCambiaSuonoClick);
    // The check starts now, and again whenever it is switched on: nothing already past rings.
    ClockDay = Today();
    AlarmDue.Begin(Now());
    connect(CheckBox_TimeCheck, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            AlarmDue.Begin(Now());
    });
    auto* events = new AlarmClockEvents(this, MemoOrario->viewport(), Label_SoundName);
    MemoOrario->viewport()->installEventFilter(events);
    Label_SoundName->installEventFilter(events);
    Label_SoundName->setMouseTracking(true);
}

void TMainForm::AlarmListRebuilt(const QDate& day) {
    const int timeField = QueryParallelo->FieldIndex(QStringLiteral("orario"));
    const int titleField = QueryParallelo->FieldIndex(QStringLiteral("id"));
    const int count = QueryParallelo->RecordCount();
    std::vector<AlarmEntry> entries;
    entries.reserve(size_t(count));
    for (int row = 0; row < count; ++row) {
        // An entry without a start time never rings.
        const QTime start = ParseShortTime(QueryParallelo->Value(row, timeField).toString());
        if (start.isValid())
            entries.push_back(
                {start.hour() * 60 + start.minute(), QueryParallelo->Value(row, titleField).toString()});
    }
    AlarmDue.SetList(day, std::move(entries));
}

void TMainForm::TimerContolloOrarioTimer() {
    const QDateTime now = Now();
    // A new date is stepped to first, so the check never rings from the day before's list.
    ChangeDayWhenDue(now);
    QueryParallelo->RunPendingOpen(); // a list deferred at start is read before its first check
    const std::vector<AlarmEntry> due = AlarmDue.Due(now);
    if (!due.empty())
        RingAlarm(due);
}

void TMainForm::RingAlarm(const std::vector<AlarmEntry>& due) {
    // Whatever fell due since the last tick rings as one alarm: one sound, one message naming all.
    if (CheckBox_Soundon->isChecked())
        PlayAlarmSound(AlarmSoundFile);
    {
        // The alarm only shows the page; it is not a change of page by the user.
        const QSignalBlocker blocker(PageControlMenu);
        PageControlMenu->setCurrentWidget(TabSheetTODAY);
    }
    if (CheckBox_Visivo->isChecked())
        Open1->trigger();
    QStringList titles;
    for (const AlarmEntry& entry : due)
        titles << entry.title;
    AlarmHurryText = QStringLiteral(" Hurry Up!  It's time to... ");
    AlarmFlashing = -1;
    AlarmEntryText = QStringLiteral(" ") + titles.join(QStringLiteral(", ")) + QStringLiteral("!");
    SetMessageLook(MemoOrario, 0x80FFFF, Colors::clRed, Qt::PointingHandCursor);
    NotifyDesktop(this, due);
    // A window the user put away only animates the icon; any other comes up on its own.
    if (WindowMinimized)
        CoolTrayIcon->SetCycleIcons(true);
    else
        TimerAppari->start();
}

void TMainForm::ChangeDayWhenDue(const QDateTime& now) {
    if (now.date() == ClockDay)
        return;
    ClockDay = now.date();
    // The alarm list and the expired entries follow the date; the Tasks list keeps the day it shows.
    AlarmDue.FollowDate(now);
    if (CheckBox_TimeCheck->isChecked())
        Guarded([this] { RefreshAlarmQuery(); });
    Guarded([this] { PurgeExpiredOneShots(); });
    Guarded([this] { RefreshShotQuery(); });
    Guarded([this] { RefreshTodayQuery(); });
    // The Options tab's format samples show today's date.
    Label_esempio_Full->setText(FormatDateTime(ShotDateFormat, ClockDay));
    Label_esempio_short->setText(FormatDateTime(YearDateFormat, ClockDay));
}

QString TMainForm::ClockCaption(bool applicationActive) const {
    return applicationActive ? FormatDateTime(ClockFormat, Now()) : QStringLiteral("Quellmire Organizer");
}

void TMainForm::TimerOrologioTimer() {
    panel_credit->setText(ClockCaption(QGuiApplication::applicationState() == Qt::ApplicationActive));

    ChangeDayWhenDue(Now());

    if (AlarmFlashing) {
        if (MemoOrario->toPlainText() != AlarmHurryText)
            MemoOrario->setPlainText(AlarmHurryText);
        else
            MemoOrario->setPlainText(AlarmEntryText);
    }
}

void TMainForm::MemoOrarioClick() {
    if (!AlarmFlashing)
        return;
    AlarmFlashing = 0;
    MemoOrario->clear();
    SetMessageLook(MemoOrario, Colors::clBtnFace, Colors::clNavy, Qt::ArrowCursor);
}

// ---- the alarm sound on the options tab ----

void TMainForm::SpeedButtonSoundClick() {
    OpenDialogSound.InitialDir = UserComp1.Desktop;
    const QString alarms = ShippedFile(QStringLiteral("alarms"));
    if (QFileInfo(alarms).isDir())
        OpenDialogSound.InitialDir = alarms;
    if (IsExistingFile(AlarmSoundFile))
        OpenDialogSound.InitialDir = QFileInfo(AlarmSoundFile).absolutePath();
    OpenDialogSound.FileName.clear();
    OpenDialogSound.Filter = QStringLiteral("Sound files ( *.wav)|*.wav");
    if (!OpenDialogSound.Execute(this))
        return;
    AlarmSoundFile = OpenDialogSound.FileName;
    SaveOptionSettings();
    LoadSettings();
    Label_SoundName->setText(QFileInfo(AlarmSoundFile).fileName());
    SetLabelColor(Label_SoundName, Colors::clWindowText);
    Label_SoundNameMouseMove();
}

void TMainForm::SpeedButtonWinSoundClick() {
    AlarmSoundFile = kMailBeep;
    SaveOptionSettings();
    LoadSettings();
    Label_SoundName->setText(kMailBeep);
    SetLabelColor(Label_SoundName, Colors::clWindowText);
    Label_SoundNameMouseMove();
}

void TMainForm::SpeedButtonCambiaSuonoClick() {
    if (IsExistingFile(AlarmSoundFile)) {
        Label_SoundName->setText(QFileInfo(AlarmSoundFile).fileName());
        SetLabelColor(Label_SoundName, Colors::clWindowText);
    } else {
        // A chosen file that has gone missing shows its stand-in in red.
        Label_SoundName->setText(kMailBeep);
        SetLabelColor(Label_SoundName, AlarmSoundFile != kMailBeep ? Colors::clRed : Colors::clWindowText);
    }
    Label_SoundNameMouseMove();
    PlayAlarmSound(AlarmSoundFile);
}

void TMainForm::Label_SoundNameMouseMove() {
    if (!IsExistingFile(AlarmSoundFile) && AlarmSoundFile != kMailBeep)
        Label_SoundName->setToolTip(QStringLiteral("Replacement of the file alarm not found: ") +
                                    AlarmSoundFile);
    else
        Label_SoundName->setToolTip(QStringLiteral("Alarm in use: ") + AlarmSoundFile);
}

} // namespace qm
