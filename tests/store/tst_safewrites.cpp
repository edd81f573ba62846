#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "dialogs/ContactDialogs.h"
#include "dialogs/TeleForm.h"
#include "notes/NoteFavourites.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/FileListBox.h"
#include "support/FileBytes.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include "platform/widgets/PageControl.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace qm;

// Every file the program writes, written onto a disk filled to the last byte: the old bytes stay,
// a message names the file, and nothing says the write went well.
namespace {

QStringList Texts() {
    QStringList texts;
    for (const ShownBox& box : MessageBoxSeam::Shown())
        texts << box.text;
    return texts;
}

// The one box shown since the last reset, which must name the file and the full disk.
void ExpectOneFailureNaming(const QString& fileName) {
    const QStringList texts = Texts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].contains(fileName) && texts[0].contains("No space left on device"),
             qPrintable(texts[0]));
    MessageBoxSeam::Reset();
}

QStringList NamesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The one box shown since the last reset, for a row that a full disk kept out of its table.
void ExpectOneTableFailureNaming(const QString& tableFile) {
    const QStringList texts = Texts();
    QCOMPARE(texts.size(), 1);
    QVERIFY2(texts[0].contains(tableFile) && texts[0].contains("the disk is full") &&
                 texts[0].contains("Nothing was changed"),
             qPrintable(texts[0]));
    MessageBoxSeam::Reset();
}

void ClickTab(TMainForm* form, QWidget* sheet) {
    QTabBar* bar = form->PageControlMenu->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(form->PageControlMenu->indexOf(sheet)).center());
}

} // namespace

class SafeWritesTest : public QObject {
    Q_OBJECT

private slots:
    // The archive folder itself is the full disk: the small files of the archive.
    void archiveFilesOnAFullDisk() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        const QByteArray netText = (env.ArchiveFolder() + "\r\n").toUtf8();
        WriteFileBytes(env.ArchiveFile("Net.txt"), netText);
        WriteFileBytes(env.ArchiveFile("Groups.txt"), "\r\nFamily\r\n");
        WriteFileBytes(env.ArchiveFile("Style.txt"), "0\r\n");
        WriteFileBytes(env.ArchiveFile("Modem.txt"), "3");
        WriteFileBytes(env.ArchiveFile("PreDir.txt"), "/srv/old\r\n");
        WriteFileBytes(env.ArchiveFile("TabName.txt"), "Mine\r\n");
        TMainForm* form = env.CreateMainForm();
        QVERIFY2(Texts().isEmpty(), qPrintable(Texts().join(" | ")));
        disk.Fill();

        // A group added.
        form->ComboBox_Contact_Group->setEditText(QStringLiteral("Choir"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton12->click();
        QCOMPARE(ReadFileBytes(env.ArchiveFile("Groups.txt")), QByteArray("\r\nFamily\r\n"));
        QCOMPARE(Texts().size(), 2);
        QCOMPARE(Texts()[0], QStringLiteral("Add the \"Choir\" group?"));
        QVERIFY2(Texts()[1].contains("Groups.txt") && Texts()[1].contains("No space left on device"),
                 qPrintable(Texts()[1]));
        MessageBoxSeam::Reset();

        // A look file.
        form->ComboBox_Stile->setCurrentIndex(1);
        emit form->ComboBox_Stile->activated(1);
        QCOMPARE(ReadFileBytes(env.ArchiveFile("Style.txt")), QByteArray("0\r\n"));
        ExpectOneFailureNaming("Style.txt");

        // The modem's port.
        ModalSeam::Queue([](QDialog& dialog) {
            auto& tele = static_cast<TTeleForm&>(dialog);
            tele.ComboBoxCOM->setCurrentIndex(0);
            emit tele.ComboBoxCOM->activated(0);
        });
        ShowTeleForm(form);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(ReadFileBytes(env.ArchiveFile("Modem.txt")), QByteArray("3"));
        ExpectOneFailureNaming("Modem.txt");

        // A favourite note folder added.
        BrowseForFolderSeam::QueueFolder(env.ProgramFolder());
        ModalSeam::Queue([](QDialog& dialog) {
            auto& folders = static_cast<TFoldersForm&>(dialog);
            QTest::mouseClick(folders.SpeedButtonAddFolder, Qt::LeftButton);
            dialog.reject();
        });
        form->SpeedButton2->click();
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(ReadFileBytes(env.ArchiveFile("PreDir.txt")), QByteArray("/srv/old\r\n"));
        ExpectOneFailureNaming("PreDir.txt");

        // The last tab renamed.
        form->EditLastLabel->setFocus();
        QTest::keyClick(form->EditLastLabel, Qt::Key_End);
        QTest::keyClicks(form->EditLastLabel, "!");
        QCOMPARE(ReadFileBytes(env.ArchiveFile("TabName.txt")), QByteArray("Mine\r\n"));
        ExpectOneFailureNaming("TabName.txt");

        // Another working folder: the failure is said and the program does not end.
        const QString work = env.ProgramFolder() + "work";
        QDir().mkpath(work);
        BrowseForFolderSeam::QueueFolder(work);
        form->SpeedButton_unico->click();
        QCOMPARE(ReadFileBytes(env.ArchiveFile("Net.txt")), netText);
        QCOMPARE(Texts().size(), 2);
        QVERIFY2(Texts()[1].contains("Net.txt") && Texts()[1].contains("No space left on device"),
                 qPrintable(Texts()[1]));
        QVERIFY(!Texts().contains("You must restart me manually!"));
        QVERIFY(!form->QuitConfirmed());
        MessageBoxSeam::Reset();

        // Nothing half-written stays behind.
        QCOMPARE(NamesIn(env.ArchiveFolder()).filter(".qmtmp-"), QStringList());
        disk.Free();
        env.DestroyMainForm();
    }

    // Files the user names in a save dialog, on a full disk of their own.
    void chosenFilesOnAFullDisk() {
        TestEnvironment env;
        FullDisk disk(env.ProgramFolder() + "disk");
        QM_REQUIRE_FULL_DISK(disk);
        const QString colors = disk.Folder() + "/mine.clr";
        const QString planner = disk.Folder() + "/plan.csv";
        const QString exchange = disk.Folder() + "/friends.QOC";
        WriteFileBytes(colors, "clRed\r\n");
        WriteFileBytes(planner, "START,STOP\r\n");
        WriteFileBytes(exchange, "old exchange file");
        TMainForm* form = env.CreateMainForm();
        testrows::OneShot(env, QStringLiteral("dentist"), QStringLiteral("2026-12-07"));
        TestEnvironment::ExecOnFile(
            env.ArchiveFile("QMcon26.db"),
            "INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,note,fax,gruppo,site,"
            "company,mobile,allegato) VALUES ('Adams','','555','','','','','','','','')");
        form->RefreshContactQuery();
        form->RefreshTodayQuery();
        QVERIFY(form->SpeedButtonEportToday->isEnabled());
        disk.Fill();

        // A colour set saved over an existing one.
        MessageBoxSeam::QueueAnswer(Id::Yes);
        DialogSeam::QueueFile(colors);
        form->SpeedButton21->click();
        QCOMPARE(ReadFileBytes(colors), QByteArray("clRed\r\n"));
        QCOMPARE(Texts().size(), 2);
        QVERIFY2(Texts()[1].contains("mine.clr") && Texts()[1].contains("No space left on device"),
                 qPrintable(Texts()[1]));
        MessageBoxSeam::Reset();

        // The day's planner exported over an existing file.
        form->DateTimePickerTODAY->setDate(QDate(2026, 12, 7));
        DialogSeam::QueueFile(planner);
        form->SpeedButtonEportToday->click();
        QCOMPARE(ReadFileBytes(planner), QByteArray("START,STOP\r\n"));
        ExpectOneFailureNaming("plan.csv");

        // The contacts exported as an exchange file over an existing one.
        DialogSeam::QueueFileOfType(exchange, 1);
        form->SpeedButtonCSV->click();
        QCOMPARE(ReadFileBytes(exchange), QByteArray("old exchange file"));
        QCOMPARE(Texts().size(), 1);
        QVERIFY2(Texts()[0].startsWith("Error exporting!") && Texts()[0].contains("friends.QOC") &&
                     Texts()[0].contains("No space left on device"),
                 qPrintable(Texts()[0]));
        QVERIFY(!QFile::exists(env.ArchiveFile("QMtemp.db")));
        QCOMPARE(NamesIn(disk.Folder()), (QStringList{".filler", "friends.QOC", "mine.clr", "plan.csv"}));
        QCOMPARE(DialogSeam::UnhandledCount(), 0);
    }

    // The start-at-login entry, on a full disk where the entries live.
    void loginEntryOnAFullDisk() {
        TestEnvironment env;
        FullDisk disk(env.ProgramFolder() + "config/autostart");
        QM_REQUIRE_FULL_DISK(disk);
        TMainForm* form = env.CreateMainForm();
        disk.Fill();
        QTest::mouseClick(form->CheckBox_Autostart, Qt::LeftButton, {},
                          QPoint(4, form->CheckBox_Autostart->height() / 2));
        QVERIFY(form->CheckBox_Autostart->isChecked());
        ExpectOneFailureNaming(".desktop");
        QCOMPARE(NamesIn(disk.Folder()), QStringList{".filler"});
    }

    // A crash leaves temporary files; the next start removes them and the notes list never shows one.
    void temporaryFilesGoAtTheNextStart() {
        TestEnvironment env;
        WriteFileBytes(env.ArchiveFile(".Groups.txt.qmtmp-k2"), "torn");
        WriteFileBytes(env.ArchiveFile("notes/.Note0.qmtmp-9zz"), "torn");
        WriteFileBytes(env.ArchiveFile("notes/Note0"), "whole");
        WriteFileBytes(env.ProgramFolder() + ".nosplash.qmtmp-1", "");
        QVERIFY(QDir().mkpath(env.ProgramFolder() + "config/autostart"));
        WriteFileBytes(env.ProgramFolder() + "config/autostart/.entry.desktop.qmtmp-7q", "torn");
        WriteFileBytes(env.ProgramFolder() + "config/autostart/other.desktop", "someone else's");
        TMainForm* form = env.CreateMainForm();
        QCOMPARE(NamesIn(env.ProgramFolder() + "config/autostart"), QStringList{"other.desktop"});
        QCOMPARE(NamesIn(env.ArchiveFile("notes")), QStringList{"Note0"});
        QCOMPARE(NamesIn(env.ArchiveFolder()).filter(".qmtmp-"), QStringList());
        QCOMPARE(NamesIn(env.ProgramFolder()).filter(".qmtmp-"), QStringList());
        QCOMPARE(form->FileListBoxNote->count(), 1);
        QCOMPARE(form->FileListBoxNote->item(0)->text(), QStringLiteral("Note0"));
    }

    // Rows of the tables: the table file is named once, with the full disk, and the rows stay.
    void tableRowsOnAFullDisk() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        env.CreateMainForm();
        env.DestroyMainForm();
        const QString contacts = env.ArchiveFile("QMcon26.db");
        const QString settings = env.ArchiveFile("QMset90.db");
        TestEnvironment::ExecOnFile(contacts, "INSERT INTO QMcon26 (ragsoc, tel) VALUES ('Adams', '555')");
        TMainForm* form = env.CreateMainForm();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        disk.Fill();

        // A contact added through its dialog: the dialog stays open with what was typed.
        ClickTab(form, form->TabSheetCONTACTS);
        QString typed;
        ModalSeam::Queue([&typed](QDialog& dialog) {
            auto& contact = static_cast<TAggConForm&>(dialog);
            QTest::keyClicks(contact.Edit_ragsoc, "Bea");
            QTest::keyClick(contact.Edit_ragsoc, Qt::Key_Return);
            QVERIFY(contact.isVisible());
            typed = contact.Edit_ragsoc->text();
        });
        QTest::mouseClick(form->SpeedButtonAggContact, Qt::LeftButton);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
        QCOMPARE(typed, QStringLiteral("Bea"));
        ExpectOneTableFailureNaming(contacts);
        QCOMPARE(TestEnvironment::RowsOfFile(contacts, "SELECT ragsoc, tel FROM QMcon26"),
                 QList<QStringList>({{"Adams", "555"}}));

        // An option: the box shows again what is stored.
        ClickTab(form, form->TabSheetSetup);
        QVERIFY(form->CheckBox_Soundon->isChecked());
        QTest::mouseClick(form->CheckBox_Soundon, Qt::LeftButton, {},
                          QPoint(4, form->CheckBox_Soundon->height() / 2));
        ExpectOneTableFailureNaming(settings);
        QVERIFY(form->CheckBox_Soundon->isChecked());
        QCOMPARE(TestEnvironment::RowsOfFile(settings, "SELECT soundon FROM QMset90"),
                 QList<QStringList>({{"Y"}}));
        QCOMPARE(NamesIn(env.ArchiveFolder()).filter("-journal"), QStringList());
    }

    void noteUpdatedOnAFullDisk() {
        TestEnvironment env;
        FullDisk disk(env.ArchiveFolder(), 1024 * 1024);
        QM_REQUIRE_FULL_DISK(disk);
        WriteFileBytes(env.ArchiveFile("notes/Note0.txt"), "old note\r\nsecond line");
        TMainForm* form = env.CreateMainForm();
        form->show();
        form->PageControlMenu->setCurrentWidget(form->TabSheetNotes);
        QListWidget* list = form->FileListBoxNote;
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(form->Editor->toPlainText(), QStringLiteral("old note\nsecond line"));
        form->Editor->setFocus();
        QTest::keyClicks(form->Editor, "changed ");
        QVERIFY(form->SpeedButtonUpdate->isEnabled());
        disk.Fill();
        form->SpeedButtonUpdate->click();
        QCOMPARE(ReadFileBytes(env.ArchiveFile("notes/Note0.txt")), QByteArray("old note\r\nsecond line"));
        ExpectOneFailureNaming("Note0.txt");
        QCOMPARE(NamesIn(env.ArchiveFile("notes")), QStringList{"Note0.txt"});
    }
};

QTEST_MAIN(SafeWritesTest)
#include "tst_safewrites.moc"
