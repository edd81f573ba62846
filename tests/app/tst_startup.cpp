#include "app/MainForm.h"
#include "app/StartupSeams.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/SafeFile.h"
#include "platform/TextLines.h"
#include "platform/widgets/PageControl.h"
#include "support/FileBytes.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        SetTestScreenColorDepth(0);
        SetTestEngineStartFails(false);
    }

    void namesFoldersAndTabsAfterLogin() {
        TestEnvironment env(QStringLiteral("Mario"));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ProfileName, QStringLiteral("MarioArc"));
        QCOMPARE(form->ArchiveFolder, env.ProgramFolder() + QStringLiteral("qmarcs/MarioArc"));
        QCOMPARE(form->DefaultArchiveFolder, form->ArchiveFolder);
        QCOMPARE(form->NotesFolder, form->ArchiveFolder + QStringLiteral("/notes"));
        QVERIFY(QFileInfo(form->NotesFolder).isDir());
        QCOMPARE(form->SpeedButtonEXIT->toolTip(), QStringLiteral("Be quiet Mario!"));
        QCOMPARE(form->Label_Ripetuta->text(), QStringLiteral("Mario"));
        QCOMPARE(form->Label_Login->text(), QStringLiteral("Mario"));
        QCOMPARE(form->Label_Archives_Folder->text(), form->ArchiveFolder);

        QStringList captions;
        for (int i = 0; i < form->PageControlMenu->count(); ++i)
            captions << form->PageControlMenu->tabText(i);
        QCOMPARE(captions, QStringList({"One Shot", "Yearly", "Monthly", "Weekly", "Tasks", "Contacts",
                                        "Notes", "To-Do!", "Mario"}));
        QCOMPARE(form->PageControlMenu->currentWidget(), form->TabSheetTODAY);
        QCOMPARE(form->ShotOrder, QStringLiteral("DESC"));
        QCOMPARE(form->SelectedMonthDay, QStringLiteral("__/__"));
        QCOMPARE(form->SelectedDate, QDate(2026, 12, 7));
        QCOMPARE(form->AlarmReloadArmed, -1);
        QCOMPARE(form->SkipFocus, -1);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void emptyLoginNameIsGeneric() {
        TestEnvironment env{QString()};
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ProfileName, QStringLiteral("generic"));
        QCOMPARE(form->ArchiveFolder, env.ProgramFolder() + QStringLiteral("qmarcs/generic"));
        QCOMPARE(form->PageControlMenu->tabText(8), QStringLiteral("Options"));
        QCOMPARE(form->SpeedButtonEXIT->toolTip(), QStringLiteral("Be quiet !"));
        QCOMPARE(form->Label_Ripetuta->text(), QString());
        QVERIFY(QFileInfo::exists(env.ProgramFolder() + QStringLiteral("qmarcs/generic/QMset90.db")));
    }

    void dayAndMonthListsEndWithASelectedEmptyItem() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ComboBox_dayofweek->count(), 8);
        QCOMPARE(form->ComboBox_dayofweek->itemText(0), QStringLiteral("Monday"));
        QCOMPARE(form->ComboBox_dayofweek->itemText(6), QStringLiteral("Sunday"));
        QCOMPARE(form->ComboBox_dayofweek->currentIndex(), 7);
        QCOMPARE(form->ComboBox_Month->count(), 13);
        QCOMPARE(form->ComboBox_Month->itemText(0), QStringLiteral("January"));
        QCOMPARE(form->ComboBox_Month->itemText(11), QStringLiteral("December"));
        QCOMPARE(form->ComboBox_Month->currentIndex(), 12);
    }

    void workingFolderFromNetFile() {
        TestEnvironment env;
        QTemporaryDir working;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("Net.txt")), {working.path()}));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ArchiveFolder, working.path());
        QCOMPARE(form->DefaultArchiveFolder, env.ArchiveFolder());
        QCOMPARE(form->NotesFolder, working.path() + QStringLiteral("/notes"));
        QVERIFY(QFileInfo::exists(working.path() + QStringLiteral("/QMarc80.db")));
        QVERIFY(!QFileInfo::exists(env.ArchiveFile(QStringLiteral("QMarc80.db"))));
        QVERIFY(form->SpeedButton_Multi->isEnabled());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void missingWorkingFolderAnsweredNoForgetsIt() {
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        const QString net = env.ArchiveFile(QStringLiteral("Net.txt"));
        QVERIFY(SaveTextLines(net, {env.ProgramFolder() + QStringLiteral("gone")}));
        MessageBoxSeam::QueueAnswer(Id::No);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ArchiveFolder, env.ArchiveFolder());
        QVERIFY(!QFileInfo::exists(net));
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text,
                 QStringLiteral("I haven't found the new working folder (") + env.ProgramFolder() +
                     QStringLiteral("gone), so I came back to the default (") + env.ArchiveFolder() +
                     QStringLiteral("). I must searching for it at the next restart?"));
        QCOMPARE(boxes[0].flags, 0x24);
        QCOMPARE(boxes[0].caption, QStringLiteral("Quellmire Organizer"));
        QCOMPARE(boxes[1].text, QStringLiteral("Ok, I back to work in the default folder!"));
        QCOMPARE(boxes[1].flags, 0x40);

        // The next start asks nothing.
        MessageBoxSeam::Reset();
        env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void missingWorkingFolderAnsweredYesAsksAgain() {
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        const QString net = env.ArchiveFile(QStringLiteral("Net.txt"));
        QVERIFY(SaveTextLines(net, {}));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ArchiveFolder, env.ArchiveFolder());
        QVERIFY(QFileInfo::exists(net));
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);

        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        env.CreateMainForm();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
    }

    void colourDepthQuestion() {
        TestEnvironment env;
        SetTestScreenColorDepth(8);
        QVERIFY(!env.CreateMainForm()->TerminateRequested());
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        SetTestScreenColorDepth(4);
        MessageBoxSeam::QueueAnswer(Id::No);
        TMainForm* form = env.CreateMainForm();
        QVERIFY(form->TerminateRequested());
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, 0x34);
        QCOMPARE(
            MessageBoxSeam::Shown()[0].text,
            QStringLiteral(
                "Quellmire Organizer runs well if the system has more than 256 colors. Continue anyway?"));

        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        QVERIFY(!env.CreateMainForm()->TerminateRequested());
    }

    void engineFailureEndsBeforeTouchingFolders() {
        TestEnvironment env;
        SetTestEngineStartFails(true);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        TMainForm* form = env.CreateMainForm();
        QVERIFY(form->TerminateRequested());
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text,
                 QStringLiteral(
                     "Borland Database Engine (BDE) not found!\rPlease reinstall Quellmire Organizer!"));
        QCOMPARE(MessageBoxSeam::Shown()[0].flags, 0);
        QCOMPARE(MessageBoxSeam::Shown()[0].caption, QStringLiteral("Quellmire Organizer"));
        QVERIFY(!QFileInfo::exists(env.ProgramFolder() + QStringLiteral("qmarcs")));
    }

    void lookFiles() {
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("Style.txt")), {QStringLiteral("1")}));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("TabFont.txt")),
                              {QStringLiteral("DejaVu Serif"), QStringLiteral("big")}));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ComboBox_Stile->currentIndex(), 1);
        QCOMPARE(form->PageControlMenu->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(form->panel_credit->font().pointSize(), 11);
        QVERIFY(form->panel_credit->font().bold());

        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("Style.txt")), {QStringLiteral("2")}));
        QCOMPARE(env.CreateMainForm()->ComboBox_Stile->currentIndex(), 0);
        QFile::remove(env.ArchiveFile(QStringLiteral("Style.txt")));
        QCOMPARE(env.CreateMainForm()->ComboBox_Stile->currentIndex(), 0);
    }

    // A settings or look file that is far too large, or a FIFO in its place, is named in one box and
    // read as empty; the start goes on. The alarm fails a start that waits instead of hanging it.
    void oversizedOrIrregularSettingsFileIsNamedOnce_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        for (const char* name : {"TabFont.txt", "Style.txt", "CharSet.txt", "InterCrs.txt", "Groups.txt",
                                 "TabName.txt", "Net.txt"})
            QTest::addRow("1 GB %s", name) << QString::fromLatin1(name) << "sparse";
        QTest::newRow("1 GB restore marker") << ".qmrestore/commit"
                                             << "sparse";
        QTest::newRow("FIFO as TabFont.txt") << "TabFont.txt"
                                             << "fifo";
        QTest::newRow("FIFO as Net.txt") << "Net.txt"
                                         << "fifo";
    }
    void oversizedOrIrregularSettingsFileIsNamedOnce() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        const QString path = env.ArchiveFile(name);
        const bool marker = name.endsWith(QLatin1String("commit"));
        if (marker)
            QVERIFY(QDir().mkpath(env.ArchiveFile(QStringLiteral(".qmrestore/files"))));
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else
            WriteSparseFile(path, qint64(1) << 30);
        ::alarm(60);
        TMainForm* form = env.CreateMainForm();
        form->FormShow(); // reads the last tab's name
        ::alarm(0);
        QCOMPARE(form->ArchiveFolder, env.ArchiveFolder());
        const QString expected =
            kind == QLatin1String("fifo")
                ? QStringLiteral("The file \"%1\" could not be read: it is not a regular file.").arg(path)
                : TooLargeText(path, marker ? kRestoreMarkerLimit : kSmallFileLimit);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        // The restore's box says more around the marker's name.
        if (marker)
            QVERIFY2(MessageBoxSeam::Shown()[0].text.contains(expected),
                     qPrintable(MessageBoxSeam::Shown()[0].text));
        else
            QCOMPARE(MessageBoxSeam::Shown()[0].text, expected);
        const char* ending = kind == QLatin1String("fifo") ? "not a regular file."
                             : marker                      ? "larger than 64 MB."
                                                           : "larger than 1 MB.";
        QVERIFY2(expected.endsWith(QLatin1String(ending)), qPrintable(expected));
    }

    void clockFormatAndGroupsFromArchiveFiles() {
        TestEnvironment env;
        QVERIFY(QDir().mkpath(env.ArchiveFolder()));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("AmPm.txt")), {}));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("Groups.txt")), {}));
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(form->ClockFormat, QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss am/pm"));
        QCOMPARE(form->ComboBox_Contact_Group->count(), 0);
        QVERIFY(!form->SpeedButton17->isEnabled());

        QFile::remove(env.ArchiveFile(QStringLiteral("AmPm.txt")));
        QVERIFY(SaveTextLines(env.ArchiveFile(QStringLiteral("Groups.txt")),
                              {QStringLiteral("Family"), QStringLiteral("Choir")}));
        form = env.CreateMainForm();
        QCOMPARE(form->ClockFormat, QStringLiteral("dddd d mmmm yyyy,  hh:mm:ss"));
        QCOMPARE(form->ComboBox_Contact_Group->count(), 2);
        QCOMPARE(form->ComboBox_Contact_Group->itemText(1), QStringLiteral("Choir"));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
