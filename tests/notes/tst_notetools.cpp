#include "app/MainForm.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "support/ShownTexts.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <QToolButton>

using namespace qm;

namespace {

void Click(QToolButton* button) {
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace

// The Notes tab's character map and calculator buttons, and the options tab's regional settings.
class NoteToolsTest : public QObject {
    Q_OBJECT

    TMainForm* ShowNotes(TestEnvironment& env) {
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        return form;
    }

private slots:
    void charMapStartsTheFirstInstalled() {
        TestEnvironment env;
        TMainForm* form = ShowNotes(env);
        QCOMPARE(form->SpeedButton_CharMap->toolTip(), QStringLiteral("Char map"));

        Click(form->SpeedButton_CharMap);
        QCOMPARE(ShownTexts(), QStringList{"No character map is installed. Install one of these programs: "
                                           "gnome-characters, gucharmap, kcharselect."});
        QVERIFY(LauncherSeam::StartedPrograms().isEmpty());

        MessageBoxSeam::Reset();
        LauncherSeam::SetInstalledPrograms({"kcharselect", "gucharmap"});
        Click(form->SpeedButton_CharMap);
        QCOMPARE(LauncherSeam::StartedPrograms(), (QList<QStringList>{{"gucharmap"}}));
        QCOMPARE(ShownTexts(), QStringList());
    }

    void calculatorFallsBackWhenOneFailsToStart() {
        TestEnvironment env;
        TMainForm* form = ShowNotes(env);
        QCOMPARE(form->SpeedButton_Calc->toolTip(), QStringLiteral("Calculator"));

        Click(form->SpeedButton_Calc);
        QCOMPARE(ShownTexts(), QStringList{"No calculator is installed. Install one of these programs: "
                                           "gnome-calculator, kcalc, galculator, qalculate-gtk, xcalc."});

        MessageBoxSeam::Reset();
        LauncherSeam::SetInstalledPrograms({"xcalc", "galculator"});
        LauncherSeam::QueueResult(false);
        Click(form->SpeedButton_Calc);
        QCOMPARE(LauncherSeam::StartedPrograms(), (QList<QStringList>{{"galculator"}, {"xcalc"}}));
        QCOMPARE(ShownTexts(), QStringList());

        LauncherSeam::QueueResult(false);
        LauncherSeam::QueueResult(false);
        Click(form->SpeedButton_Calc);
        QCOMPARE(ShownTexts(), QStringList{"The calculator could not be started."});
    }

    void regionalSettingsOfTheDesktop() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetSetup);
        Click(form->SpeedButton18);
        QCOMPARE(ShownTexts(), QStringList{"I can't help you, go to Windows control panel!"});

        MessageBoxSeam::Reset();
        LauncherSeam::SetInstalledPrograms({"kcmshell5", "gnome-control-center"});
        Click(form->SpeedButton18);
        QCOMPARE(LauncherSeam::StartedPrograms(), (QList<QStringList>{{"gnome-control-center", "region"}}));
        LauncherSeam::SetInstalledPrograms({"kcmshell5"});
        Click(form->SpeedButton18);
        QCOMPARE(LauncherSeam::StartedPrograms().last(), (QStringList{"kcmshell5", "kcm_formats"}));
        QCOMPARE(ShownTexts(), QStringList());
    }

    void programsAreFoundOnThePath() {
        // Without the seam: a program is looked up on PATH and started with its arguments as a list.
        LauncherSeam::Disable();
        QVERIFY(IsProgramInstalled("sh"));
        QVERIFY(!IsProgramInstalled("no-such-program-quellmire"));
        QVERIFY(!StartProgram({"no-such-program-quellmire", {}}));
        QVERIFY(StartProgram({"true", {"; touch /nonexistent"}}));
        QCOMPARE(StartFirstInstalled({{"no-such-program-quellmire", {}}}), StartResult::NoneInstalled);
        LauncherSeam::Enable();
    }
};

QTEST_MAIN(NoteToolsTest)
#include "tst_notetools.moc"
