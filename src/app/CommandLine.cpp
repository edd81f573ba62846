#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/Dialer.h"
#include "desktop/ProgramArguments.h"
#include "platform/Launcher.h"
#include "platform/Sound.h"

#include <QAction>
#include <QCheckBox>

namespace qm {

void TMainForm::ProcessCommandLine() {
    const QStringList arguments = ProgramArguments();
    const auto word = [&arguments](int index) {
        return index < arguments.size() ? arguments[index].toUpper() : QString();
    };
    const QString mode = word(1);
    const bool todayHasEntries = QueryTODAY->Active() && QueryTODAY->RecordCount() > 0;

    if (mode == QLatin1String("DIAL")) {
        // The desktop's telephone handler dials; whether it could is not reported.
        const QString number = arguments.size() > 2 ? arguments[2] : QString();
        ShellOpen(TelAddress(number));
        if (word(3) == QLatin1String("KILL"))
            RequestTerminate();
    }

    if ((mode == QLatin1String("CONTROLLO") || mode == QLatin1String("CONTROL")) && !todayHasEntries)
        RequestTerminate();

    // The start-up alarm: today has something.
    if (todayHasEntries) {
        CoolTrayIcon->SetCycleIcons(true);
        if (CheckBox_Soundon->isChecked())
            PlayAlarmSound(AlarmSoundFile);
        if (CheckBox_Visivo->isChecked())
            Open1->trigger();
    }
}

void TMainForm::CalledByLaterStart(const QString& text) {
    Open1Click();
    QStringList words = text.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty() || words.first().toUpper() != QLatin1String("DIAL"))
        return;
    words.removeFirst();
    if (!words.isEmpty() && words.last().toUpper() == QLatin1String("KILL"))
        words.removeLast();
    // The words were joined with blanks on the way: a number typed with blanks comes back whole.
    ShellOpen(TelAddress(words.join(u' ')));
}

} // namespace qm
