#include "app/MainForm.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"

namespace qm {

namespace {

QStringList ProgramNames(const QList<ProgramCall>& calls) {
    QStringList names;
    for (const ProgramCall& call : calls)
        names << call.program;
    return names;
}

// Starts the first installed of the desktop's usual programs for a tool; when none is installed the
// message names what to install.
void StartTool(const QString& tool, const QList<ProgramCall>& calls) {
    switch (StartFirstInstalled(calls)) {
    case StartResult::Started:
        return;
    case StartResult::NoneInstalled:
        ShowMessage(QStringLiteral("No %1 is installed. Install one of these programs: %2.")
                        .arg(tool, ProgramNames(calls).join(QStringLiteral(", "))));
        return;
    case StartResult::FailedToStart:
        ShowMessage(QStringLiteral("The %1 could not be started.").arg(tool));
        return;
    }
}

} // namespace

void TMainForm::SpeedButton_CharMapClick() {
    StartTool(QStringLiteral("character map"), {{QStringLiteral("gnome-characters"), {}},
                                                {QStringLiteral("gucharmap"), {}},
                                                {QStringLiteral("kcharselect"), {}}});
}

void TMainForm::SpeedButton_CalcClick() {
    StartTool(QStringLiteral("calculator"), {{QStringLiteral("gnome-calculator"), {}},
                                             {QStringLiteral("kcalc"), {}},
                                             {QStringLiteral("galculator"), {}},
                                             {QStringLiteral("qalculate-gtk"), {}},
                                             {QStringLiteral("xcalc"), {}}});
}

} // namespace qm
