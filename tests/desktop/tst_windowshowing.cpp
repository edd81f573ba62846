#include "app/MainForm.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/IconHide.h"
#include "desktop/LumidorAutostart.h"
#include "desktop/ProgramArguments.h"
#include "engine/Query.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Sound.h"
#include "platform/widgets/PageControl.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace qm;

namespace {

void SetSettings(const TestEnvironment& env, const QString& assignments) {
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMset90.db")),
                                QStringLiteral("UPDATE QMset90 SET ") + assignments);
}

// Builds the archive once, changes the settings row and today's entries as another tool would,
// then starts again with the given command line.
TMainForm* StartWith(TestEnvironment& env, const QStringList& arguments, const QString& settings,
                     bool entryToday) {
    env.CreateMainForm();
    env.DestroyMainForm();
    if (!settings.isEmpty())
        SetSettings(env, settings);
    if (entryToday)
        testrows::OneShot(env, QStringLiteral("Dentist"), QStringLiteral("2026-12-07"));
    ProgramArgumentsSeam::Set(QStringList{QStringLiteral("quellmire")} + arguments);
    SoundSeam::Reset();
    LauncherSeam::Reset();
    return env.CreateMainForm();
}

// A timer's tick without waiting for it.
void Fire(QTimer* timer) {
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

} // namespace

class WindowShowingTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { TraySeam::Reset(); }

    void trayMenuHoldsTheSectionsTheWindowAndQuit() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QStringList captions;
        for (QAction* item : form->PopupMenuTray->actions())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(captions,
                 (QStringList{"One Shot", "Yearly", "Monthly", "Weekly", "Tasks", "Contacts", "Notes",
                              "To-Do!", "Options", "-", "Quellmire Organizer", "-", "Kill the quellmire"}));
        QCOMPARE(form->CoolTrayIcon->PopupMenu(), form->PopupMenuTray);
        QCOMPARE(form->CoolTrayIcon->CycleInterval(), 300);
        QCOMPARE(form->CoolTrayIcon->ShownTip(), QStringLiteral("Quellmire Organizer"));
        QCOMPARE(form->CoolTrayIcon->IconList().size(), 5);
        // The images are the program's picture, not an empty square with a red dot.
        const QImage picture = form->CoolTrayIcon->IconList()[0].pixmap(16, 16).toImage();
        QCOMPARE(picture.size(), QSize(16, 16));
        QVERIFY(qAlpha(picture.pixel(8, 8)) > 0);
        QVERIFY(form->PopupMenuTray->defaultAction() == nullptr);

        // Each section item shows its section's colour.
        form->RefreshTrayMenuImages();
        const QImage contacts = form->TrayTabItems[5]->icon().pixmap(16, 16).toImage();
        QCOMPARE(QColor(contacts.pixel(8, 8)), ToQColor(form->SectionColors.ContactColor));

        form->CheckBox_TimeCheck->setChecked(false);
        form->Closequellmire1->trigger();
        QVERIFY(form->QuitConfirmed());
    }

    void startShowsTheWindowUnlessItIsToStayInTheTray() {
        {
            TestEnvironment env;
            TraySeam::PretendAvailable(true);
            TMainForm* form = StartWith(env, {}, QStringLiteral("minimized = 'N'"), false);
            QVERIFY(!form->isVisible());
            Fire(form->TimerRitorna);
            QVERIFY(!form->TimerRitorna->isActive());
            QVERIFY(form->TimerAppari->isActive());
            Fire(form->TimerAppari);
            QVERIFY(form->isVisible());
            QCOMPARE(form->CoolTrayIcon->IconIndex(), 0);
        }
        {
            TestEnvironment env;
            TraySeam::PretendAvailable(true);
            TMainForm* form = StartWith(env, {}, QStringLiteral("minimized = 'Y'"), false);
            QCOMPARE(form->CoolTrayIcon->IconIndex(), 4);
            Fire(form->TimerRitorna);
            QVERIFY(!form->TimerAppari->isActive());
            QVERIFY(!form->isVisible());
            QCOMPARE(form->CoolTrayIcon->IconIndex(), 0);
        }
        // Where there is no notification area the window is shown all the same.
        TestEnvironment env;
        TraySeam::PretendAvailable(false);
        TMainForm* form = StartWith(env, {}, QStringLiteral("minimized = 'Y'"), false);
        Fire(form->TimerRitorna);
        QVERIFY(form->TimerAppari->isActive());
    }

    void aNotificationAreaThatComesLateTakesTheIconAndTheAlarmAnimation() {
        TestEnvironment env;
        TraySeam::PretendAvailable(false); // the panel starts after the program, as at login
        TMainForm* form = StartWith(env, {}, QStringLiteral("minimized = 'Y'"), false);
        testrows::OneShot(env, QStringLiteral("Meeting"), QStringLiteral("2026-12-07"),
                          QStringLiteral("10:00"));
        form->RefreshAlarmQuery();
        form->CheckBox_Visivo->setChecked(false);
        Fire(form->TimerRitorna);
        Fire(form->TimerAppari);
        QVERIFY(form->isVisible()); // nowhere else to be
        QVERIFY(!form->CoolTrayIcon->IconInArea());
        QVERIFY(TIconHide::SkipsTaskbar(form)); // on the screen, as the stored value asks
        form->showMinimized();
        QVERIFY(!TIconHide::SkipsTaskbar(form)); // minimised, the taskbar button is the way back
        form->showNormal();

        TraySeam::PretendAvailable(true);
        Fire(form->CoolTrayIcon->TrayWatchTimer());
        QVERIFY(form->CoolTrayIcon->IconInArea());
        QVERIFY(TIconHide::SkipsTaskbar(form));
        QCOMPARE(form->CoolTrayIcon->ShownIcon().cacheKey(), form->CoolTrayIcon->IconList()[0].cacheKey());

        // Put away into the new icon, an alarm animates it where the user can see it.
        QTest::mouseClick(form->SpeedButton20, Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!form->isVisible());
        env.SetNow(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 0)));
        form->TimerContolloOrarioTimer();
        QVERIFY(form->CoolTrayIcon->CycleIcons());
        const QList<QIcon> images = form->CoolTrayIcon->IconList();
        QList<qint64> shown;
        for (int tick = 0; tick < 5; ++tick) {
            Fire(form->CoolTrayIcon->CycleTimer());
            shown << form->CoolTrayIcon->ShownIcon().cacheKey();
        }
        QCOMPARE(shown, (QList<qint64>{images[1].cacheKey(), images[2].cacheKey(), images[3].cacheKey(),
                                       images[4].cacheKey(), images[0].cacheKey()}));
    }

    void placeInTrayHidesAndAnAlarmClickOpensOnTasks() {
        TestEnvironment env; // starts with the desktop as it is: offscreen, no notification area
        TraySeam::PretendAvailable(true);
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        form->SpeedButton20->click();
        QCoreApplication::processEvents();
        QVERIFY(!form->isVisible());
        QCOMPARE(form->WindowMinimized, -1);
        QVERIFY(form->IconHide1.Hidden());

        // An alarm while away animates the icon; a click on it opens the Tasks tab and stops that.
        form->CoolTrayIcon->SetCycleIcons(true);
        form->CoolTrayIcon->HandleActivation(QSystemTrayIcon::Trigger);
        QVERIFY(form->TimerAppari->isActive());
        Fire(form->TimerAppari);
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());
        QCOMPARE(form->WindowMinimized, 0);
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
        QVERIFY(!form->CoolTrayIcon->CycleIcons());
        QVERIFY(!form->TimerAppari->isActive());
    }

    // A window manager still handling the going away may report the window iconic as it comes
    // back; that is undone. Once the window is up, a minimise is the user's and puts it away.
    void anIconicStateBeforeTheWindowIsUpIsUndone() {
        TestEnvironment env;
        TraySeam::PretendAvailable(true);
        TMainForm* form = env.CreateMainForm();
        Fire(form->TimerRitorna);
        Fire(form->TimerAppari);
        QTRY_VERIFY(!form->CoolTrayIcon->ComingBack());
        QTest::mouseClick(form->SpeedButton20, Qt::LeftButton);
        QVERIFY(!form->isVisible());
        form->CoolTrayIcon->HandleActivation(QSystemTrayIcon::Trigger);
        Fire(form->TimerAppari);
        QVERIFY(form->CoolTrayIcon->ComingBack());
        form->setWindowState(Qt::WindowMinimized);
        QCoreApplication::processEvents();
        QVERIFY(form->isVisible());
        QVERIFY(!form->isMinimized());

        QTRY_VERIFY(!form->CoolTrayIcon->ComingBack());
        form->setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(!form->isVisible());
        QCOMPARE(form->WindowMinimized, 0); // put away by the window manager, not by a button
    }

    // While a question is open the menu would start things under it (a second quit road); the
    // question comes forward instead (seen on a real desktop by tests/smoke/tray.sh).
    void aRightClickDuringAQuestionOpensNoMenu() {
        TestEnvironment env;
        TraySeam::PretendAvailable(true);
        TMainForm* form = env.CreateMainForm();
        form->show();
        QDialog question(form);
        question.setWindowModality(Qt::ApplicationModal);
        question.show();
        const int popups = form->CoolTrayIcon->PopupCount();
        form->CoolTrayIcon->HandleActivation(QSystemTrayIcon::Context);
        QCOMPARE(form->CoolTrayIcon->PopupCount(), popups);
        question.close();
        form->CoolTrayIcon->HandleActivation(QSystemTrayIcon::Context);
        QCOMPARE(form->CoolTrayIcon->PopupCount(), popups + 1);
    }

    void minimizeKeepsTheTaskbarButtonAndTheTrayItemOpensItsTab() {
        TestEnvironment env; // starts with the desktop as it is: offscreen, no notification area
        TraySeam::PretendAvailable(true);
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->SpeedButton_MINIMIZE->click();
        QCoreApplication::processEvents();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
        QVERIFY(!form->IconHide1.Hidden());
        QCOMPARE(form->WindowMinimized, -1);

        form->TrayTabItems[5]->trigger(); // "Contacts"
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetCONTACTS);
        Fire(form->TimerAppari);
        QVERIFY(!form->isMinimized());
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetCONTACTS);

        // Shown and kept on top: a click only brings it forward.
        form->SpeedButtonTOP->setChecked(true);
        form->Open1->trigger();
        QVERIFY(!form->TimerAppari->isActive());
    }

    void placeInTrayWithoutANotificationAreaLeavesTheWindowInTheTaskbar() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->SpeedButton20->click();
        QCoreApplication::processEvents();
        QVERIFY(form->isVisible());
        QVERIFY(form->isMinimized());
    }

    void trayQuitAskedWhileTheAlarmCheckIsOnAndCancelled() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        MessageBoxSeam::QueueAnswer(Id::No);
        form->Closequellmire1->trigger();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(!form->QuitConfirmed());
        QVERIFY(form->Closequellmire1->isEnabled());
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetSetup);
    }

    void dialAndKillInAnyCase() {
        TestEnvironment env;
        TMainForm* form = StartWith(env, {"dial", "555-1234", "kill"}, QString(), false);
        QCOMPARE(LauncherSeam::Launches(), QStringList{QStringLiteral("tel:555-1234")});
        QVERIFY(form->TerminateRequested());
    }

    void dialWithoutKillRunsOnWithTheStartUpAlarm() {
        TestEnvironment env;
        TMainForm* form = StartWith(env, {"DIAL", "42"}, QStringLiteral("soundon = '2'"), true);
        QCOMPARE(LauncherSeam::Launches(), QStringList{QStringLiteral("tel:42")});
        QVERIFY(!form->TerminateRequested());
        QVERIFY(form->CoolTrayIcon->CycleIcons());
        QCOMPARE(SoundSeam::Plays().size(), 1);
        QVERIFY(form->TimerAppari->isActive()); // the window pops up
    }

    void controlEndsOnAnEmptyDayAndStartsOtherwise() {
        {
            TestEnvironment env;
            TMainForm* form = StartWith(env, {"control"}, QString(), false);
            QVERIFY(form->TerminateRequested());
            QVERIFY(!form->CoolTrayIcon->CycleIcons());
            QVERIFY(SoundSeam::Plays().isEmpty());
        }
        TestEnvironment env;
        TMainForm* form = StartWith(env, {"CONTROLLO"}, QStringLiteral("soundon = 'N'"), true);
        QVERIFY(!form->TerminateRequested());
        QVERIFY(form->CoolTrayIcon->CycleIcons());
        QVERIFY(SoundSeam::Plays().isEmpty());
        QVERIFY(!form->TimerAppari->isActive());
    }

    void noCommandLineAndAnEmptyDayDoNothing() {
        TestEnvironment env;
        TMainForm* form = StartWith(env, {}, QStringLiteral("soundon = '2'"), false);
        QVERIFY(!form->TerminateRequested());
        QVERIFY(!form->CoolTrayIcon->CycleIcons());
        QVERIFY(SoundSeam::Plays().isEmpty());
        QVERIFY(LauncherSeam::Launches().isEmpty());
    }

    void settingsRowDrivesTheLoginEntry() {
        TestEnvironment env;
        TMainForm* form = StartWith(env, {}, QStringLiteral("autostart = 'Y'"), false);
        QVERIFY(form->CheckBox_Autostart->isChecked());
        QVERIFY(QFile::exists(form->LumidorAutostart.EntryFile()));
        QVERIFY(form->LumidorAutostart.EntryFile().startsWith(env.ProgramFolder()));
        SetSettings(env, QStringLiteral("autostart = 'N'"));
        form->LoadSettings();
        QVERIFY(!QFile::exists(form->LumidorAutostart.EntryFile()));
    }
};

QTEST_MAIN(WindowShowingTest)
#include "tst_windowshowing.moc"
