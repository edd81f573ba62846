#include "desktop/CoolTrayIcon.h"
#include "desktop/IconHide.h"
#include "desktop/LumidorAutostart.h"
#include "desktop/MainInstance.h"

#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUuid>
#include <QWidget>

using namespace qm;

namespace {

QList<QIcon> FiveImages() {
    QList<QIcon> images;
    for (int i = 0; i < 5; ++i) {
        QPixmap pixmap(16, 16);
        pixmap.fill(QColor(i * 40, 0, 0));
        images.append(QIcon(pixmap));
    }
    return images;
}

QString EntryText(const TLumidorAutostart& autostart) {
    QFile file(autostart.EntryFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A timer's tick without waiting for it.
void Fire(QTimer* timer) {
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
}

} // namespace

class DesktopComponentsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        TraySeam::PretendAvailable(true);
        QVERIFY(m_config.isValid());
        qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
        qputenv("XDG_CACHE_HOME", m_config.filePath(QStringLiteral("cache")).toLocal8Bit());
        TLumidorAutostart::ResetFirstCallForTest();
    }
    void cleanup() { TraySeam::Reset(); }

    void cyclingStepsThroughTheImagesAndWraps() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        const QList<QIcon> images = FiveImages();
        tray.SetIconList(images);
        QSignalSpy cycles(&tray, &TCoolTrayIcon::Cycle);
        tray.SetCycleIcons(true);
        QVERIFY(tray.CycleTimer()->isActive());
        QList<int> shown;
        for (int tick = 0; tick < 6; ++tick) {
            tray.TimerCycle();
            shown.append(tray.IconIndex());
        }
        QCOMPARE(shown, (QList<int>{1, 2, 3, 4, 0, 1}));
        QList<int> next;
        for (const QList<QVariant>& cycle : cycles)
            next.append(cycle[0].toInt());
        QCOMPARE(next, (QList<int>{1, 2, 3, 4, 0, 1}));
        QCOMPARE(tray.Icon().cacheKey(), images[1].cacheKey());
        tray.SetCycleIcons(false);
        QVERIFY(!tray.CycleTimer()->isActive());
    }

    void indexBeyondTheListShowsTheLastImage() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        const QList<QIcon> images = FiveImages();
        tray.SetIconList(images);
        tray.SetIconIndex(7);
        QCOMPARE(tray.IconIndex(), 4);
        QCOMPARE(tray.Icon().cacheKey(), images[4].cacheKey());
        tray.SetIconIndex(-3);
        QCOMPARE(tray.IconIndex(), 0);

        TCoolTrayIcon empty(&owner);
        empty.SetIconIndex(3);
        QCOMPARE(empty.IconIndex(), 0);
        empty.TimerCycle(); // nothing to step through
        QCOMPARE(empty.IconIndex(), 0);
    }

    void tipIsCutAndShownOnlyWhenAsked() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        tray.SetHint(QString(80, u'x'));
        QVERIFY(tray.ShownTip().isEmpty());
        tray.SetShowHint(true);
        QCOMPARE(tray.ShownTip(), QString(63, u'x'));
    }

    void mouseEventsClickOnceAndDisabledIconStaysSilent() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        QMenu menu;
        tray.SetPopupMenu(&menu);
        QStringList order;
        connect(&tray, &TCoolTrayIcon::MouseDown, this,
                [&](Qt::MouseButton b) { order << QStringLiteral("down%1").arg(int(b)); });
        connect(&tray, &TCoolTrayIcon::MouseUp, this,
                [&](Qt::MouseButton b) { order << QStringLiteral("up%1").arg(int(b)); });
        connect(&tray, &TCoolTrayIcon::Click, this, [&] { order << QStringLiteral("click"); });
        connect(&tray, &TCoolTrayIcon::DblClick, this, [&] { order << QStringLiteral("dbl"); });

        tray.HandleActivation(QSystemTrayIcon::Trigger);
        tray.HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(order, (QStringList{"down1", "click", "up1", "dbl", "up1"}));
        QCOMPARE(tray.PopupCount(), 0); // the left button pops nothing by default

        tray.HandleActivation(QSystemTrayIcon::Context);
        QCOMPARE(tray.PopupCount(), 1);
        tray.SetLeftPopup(true);
        tray.HandleActivation(QSystemTrayIcon::Trigger);
        QCOMPARE(tray.PopupCount(), 2);

        order.clear();
        tray.SetEnabled(false);
        tray.HandleActivation(QSystemTrayIcon::Trigger);
        tray.HandleActivation(QSystemTrayIcon::Context);
        QVERIFY(order.isEmpty());
        QCOMPARE(tray.PopupCount(), 2);
        QVERIFY(tray.IconVisible());
    }

    void doubleClickRunsTheDefaultItemUnlessTheLeftButtonPops() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        QMenu menu;
        QAction* item = menu.addAction(QStringLiteral("open"));
        QSignalSpy triggered(item, &QAction::triggered);
        tray.SetPopupMenu(&menu);
        tray.HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(triggered.size(), 0); // no default item
        menu.setDefaultAction(item);
        tray.HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(triggered.size(), 1);
        tray.SetLeftPopup(true);
        tray.HandleActivation(QSystemTrayIcon::DoubleClick);
        QCOMPARE(triggered.size(), 1);
    }

    void iconAndItsAnimationAppearWhenTheNotificationAreaComesLate() {
        TraySeam::PretendAvailable(false); // the panel has not started yet
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        const QList<QIcon> images = FiveImages();
        tray.SetIconList(images);
        tray.SetIconVisible(true);
        QSignalSpy appeared(&tray, &TCoolTrayIcon::TrayAppeared);
        QTimer* watch = tray.TrayWatchTimer();
        QVERIFY(watch->isActive());
        QCOMPARE(watch->interval(), TCoolTrayIcon::TrayWatchInterval);
        QVERIFY(!tray.IconInArea());

        // An alarm animates the icon before there is anywhere to show it.
        tray.SetCycleIcons(true);
        Fire(tray.CycleTimer());
        Fire(watch); // still no notification area
        QVERIFY(!tray.IconInArea());
        QVERIFY(tray.ShownIcon().isNull());
        QVERIFY(watch->isActive());
        QCOMPARE(appeared.count(), 0);

        TraySeam::PretendAvailable(true); // the panel starts
        Fire(watch);
        QVERIFY(tray.IconInArea());
        QVERIFY(!watch->isActive());
        QCOMPARE(appeared.count(), 1);
        QCOMPARE(tray.ShownIcon().cacheKey(), images[1].cacheKey());
        // The animation goes on in the notification area.
        Fire(tray.CycleTimer());
        QCOMPARE(tray.ShownIcon().cacheKey(), images[2].cacheKey());
        Fire(tray.CycleTimer());
        QCOMPARE(tray.ShownIcon().cacheKey(), images[3].cacheKey());

        // An icon put away stays away when an area appears, and is shown the moment it is wanted.
        TraySeam::PretendAvailable(false);
        TCoolTrayIcon hidden(&owner);
        hidden.SetIconVisible(false);
        TraySeam::PretendAvailable(true);
        Fire(hidden.TrayWatchTimer());
        QVERIFY(!hidden.IconInArea());
        hidden.SetIconVisible(true);
        QVERIFY(hidden.IconInArea());
    }

    void minimisingHidesIntoTheIconOnlyWhereOneExists() {
        QWidget owner;
        TCoolTrayIcon tray(&owner);
        owner.show();
        tray.SetMinimizeToTray(false);
        owner.showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(owner.isVisible());

        owner.showNormal();
        tray.SetMinimizeToTray(true);
        tray.SetIconVisible(false);
        owner.showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(!owner.isVisible());
        QVERIFY(tray.IconVisible());
        tray.ShowMainForm();
        QVERIFY(owner.isVisible());
        QVERIFY(!owner.isMinimized());

        TraySeam::PretendAvailable(false);
        owner.showMinimized();
        QCoreApplication::processEvents();
        QVERIFY(owner.isVisible()); // left in the taskbar
        tray.HideMainForm();
        QVERIFY(owner.isVisible());
        QVERIFY(owner.isMinimized());
    }

    void taskbarStateIsSharedAndRepeatsChangeNothing() {
        TIconHide::ResetForTest();
        TIconHide splash;
        TIconHide main;
        QVERIFY(main.Hidden());
        QCOMPARE(TIconHide::ChangeCount(), 1);
        main.SetHidden(true);
        QCOMPARE(TIconHide::ChangeCount(), 1);
        splash.SetHidden(false);
        QVERIFY(!main.Hidden());
        QCOMPARE(TIconHide::ChangeCount(), 2);
    }

    void autostartEntryFollowsTheSettingAfterTheFirstWrite() {
        TLumidorAutostart autostart(QStringLiteral("Vorlin 4#Autostart"));
        QCOMPARE(autostart.EntryFile(),
                 m_config.path() + QStringLiteral("/autostart/Vorlin_4_Autostart.desktop"));
        // The first write of a process keeps what is there: nothing.
        autostart.SetAutostart(true);
        QVERIFY(!autostart.Autostart());
        autostart.SetAutostart(true);
        QVERIFY(autostart.Autostart());
        QVERIFY(EntryText(autostart).contains(
            QStringLiteral("Exec=") +
            TLumidorAutostart::QuotedCommand(QCoreApplication::applicationFilePath())));

        // Another process: an entry left with an old path is rewritten with this one.
        QFile file(autostart.EntryFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[Desktop Entry]\nExec=\"/old/place/quellmire\"\n");
        file.close();
        TLumidorAutostart::ResetFirstCallForTest();
        autostart.SetAutostart(false);
        QVERIFY(autostart.Autostart());
        QVERIFY(!EntryText(autostart).contains(QStringLiteral("/old/place")));

        autostart.SetAutostart(false);
        QVERIFY(!QFile::exists(autostart.EntryFile()));
        QVERIFY(!autostart.Autostart());
    }

    void autostartNameMovesTheEntryButNotForLetterCase() {
        TLumidorAutostart autostart(QStringLiteral("Vorlin 4#Autostart"));
        autostart.SetAutostart(true);
        autostart.SetAutostart(true);
        const QString before = autostart.EntryFile();
        autostart.SetAppName(QStringLiteral("VORLIN 4#AUTOSTART"));
        QCOMPARE(autostart.EntryFile(), before);
        autostart.SetAppName(QStringLiteral("Other"));
        QVERIFY(!QFile::exists(before));
        QVERIFY(autostart.Autostart());
        // Removed by another program: seen at the next read.
        QFile::remove(autostart.EntryFile());
        QVERIFY(!autostart.Autostart());
    }

    void commandIsQuotedForTheEntry() {
        QCOMPARE(TLumidorAutostart::QuotedCommand(QStringLiteral("/opt/q o/quellmire")),
                 QStringLiteral("\"/opt/q o/quellmire\""));
        QCOMPARE(TLumidorAutostart::QuotedCommand(QStringLiteral("/a$b\"c%d")),
                 QStringLiteral("\"/a\\\\$b\\\\\"c%%d\""));
    }

    void forwardedTextDropsEverythingUpToTheLastProgramName() {
        QCOMPARE(TMainInstance::ForwardedText({"quellmire", "a.exe", "b"}), QStringLiteral("b "));
        QCOMPARE(TMainInstance::ForwardedText({"quellmire", "b", "a.EXE"}), QString());
        QCOMPARE(TMainInstance::ForwardedText({"quellmire", "DIAL", "555"}), QStringLiteral("DIAL 555 "));
        QCOMPARE(TMainInstance::ForwardedText({"quellmire"}), QString());
    }

    void secondCopyHandsItsCommandLineToTheFirst() {
        const QString key = QStringLiteral("tester-") + QUuid::createUuid().toString(QUuid::Id128);
        TMainInstance first(key);
        QVERIFY(first.Start({"quellmire"}));
        QSignalSpy called(&first, &TMainInstance::Called);
        first.SetReady();

        TMainInstance second(key);
        QVERIFY(!second.Start({"quellmire", "control"}));
        QTRY_COMPARE(called.size(), 1);
        QCOMPARE(called[0][0].toString(), QStringLiteral("control "));

        // With nothing to hand on the first copy is still called up.
        TMainInstance third(key);
        QVERIFY(!third.Start({"quellmire"}));
        QTRY_COMPARE(called.size(), 2);
        QCOMPARE(called[1][0].toString(), QString());

        // Another user's copy is not this user's.
        TMainInstance otherUser(key + QStringLiteral("x"));
        QVERIFY(otherUser.Start({"quellmire"}));
    }

private:
    QTemporaryDir m_config;
};

QTEST_MAIN(DesktopComponentsTest)
#include "tst_desktopcomponents.moc"
