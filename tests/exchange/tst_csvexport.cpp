#include "app/MainForm.h"
#include "engine/Query.h"
#include "exchange/CsvExport.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/widgets/PageControl.h"
#include "support/FileBytes.h"
#include "support/ShownTexts.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolButton>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

QByteArray Bytes(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void AddContact(const TestEnvironment& env, const QString& name, const QString& address,
                const QString& emailSql, const QString& group = QString()) {
    testrows::Exec(
        env, QStringLiteral("QMcon26"),
        QStringLiteral("INSERT INTO QMcon26 (ragsoc,company,tel,mobile,fax,indirizzo,email,site,note,"
                       "gruppo,allegato) VALUES ('%1','','555','','','%2',%3,'','','%4','')")
            .arg(name, QString(address).replace(u'\'', QStringLiteral("''")), emailSql, group));
}

void AddToDo(const TestEnvironment& env, const QString& title, int priority, const QString& flag,
             int percent) {
    testrows::Exec(
        env, QStringLiteral("QMtod90"),
        QStringLiteral("INSERT INTO QMtod90 (id,note,priority,flag,percento) VALUES ('%1','',%2,'%3',%4)")
            .arg(title)
            .arg(priority)
            .arg(flag)
            .arg(percent));
}

// The main window shown on the Contacts tab, with one contact in the list.
TMainForm* ContactsTabWithOneContact(TestEnvironment& env) {
    TMainForm* form = env.CreateMainForm();
    AddContact(env, QStringLiteral("Adams"), QStringLiteral("Elm Road"), QStringLiteral("''"));
    form->RefreshContactQuery();
    form->show();
    form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
    return form;
}

} // namespace

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void fieldsNeedingQuotesAreQuotedAndQuotesDoubled() {
        QCOMPARE(CsvField(QStringLiteral("plain text")), QStringLiteral("plain text"));
        QCOMPARE(CsvField(QStringLiteral("Main Street 1, Springfield")),
                 QStringLiteral("\"Main Street 1, Springfield\""));
        QCOMPARE(CsvField(QStringLiteral("the \"old\" mill")), QStringLiteral("\"the \"\"old\"\" mill\""));
        QCOMPARE(CsvField(QStringLiteral("two\r\nlines")), QStringLiteral("\"two\r\nlines\""));
        QCOMPARE(CsvField(QString()), QString());
    }

    void contactsAsCsvHoldTheVisibleRowsWithHeaderQuotingAndNulls() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Adams"), QStringLiteral("Main Street 1, Springfield"),
                   QStringLiteral("'a@example.org'"), QStringLiteral("Friend"));
        AddContact(env, QStringLiteral("Baker"), QStringLiteral("the \"old\" mill"), QStringLiteral("NULL"));
        AddContact(env, QStringLiteral("Carter"), QStringLiteral("Elm Road"), QStringLiteral("''"),
                   QStringLiteral("Friend"));
        form->RefreshContactQuery();
        QCOMPARE(form->QueryContact->RecordCount(), 3);

        const QString file = env.ProgramFolder() + QStringLiteral("all.csv");
        DialogSeam::QueueFileOfType(file, 2);
        form->SpeedButtonCSV->click();
        QCOMPARE(form->SaveDialogCSV.FileName, file);
        QCOMPARE(Bytes(file),
                 QByteArray("NAME,COMPANY,PHONE,MOBILE,FAX,ADDRESS,EMAIL,WEB,NOTE,KIND,ATTACH\r\n"
                            "Adams,,555,,,\"Main Street 1, Springfield\",a@example.org,,,Friend,\r\n"
                            "Baker,,555,,,\"the \"\"old\"\" mill\",,,,,\r\n"
                            "Carter,,555,,,Elm Road,,,,Friend,\r\n"));

        // A group filter exports only that group and proposes the group's name.
        form->ComboBox_Contact_Group->setCurrentText(QStringLiteral("Friend"));
        form->RefreshContactQuery();
        DialogSeam::QueueFile(std::nullopt);
        form->SpeedButtonCSV->click();
        QCOMPARE(form->SaveDialogCSV.FileName, QStringLiteral("Friend"));
        QVERIFY(!QFile::exists(env.ArchiveFile(QStringLiteral("QMtemp.db"))));

        const QString friends = env.ProgramFolder() + QStringLiteral("friends.csv");
        DialogSeam::QueueFileOfType(friends, 2);
        form->SpeedButtonCSV->click();
        const QList<QByteArray> lines = Bytes(friends).split('\n');
        QCOMPARE(lines.size(), 4); // header, two rows, nothing after the last CR LF
        QVERIFY(lines[1].startsWith("Adams,"));
        QVERIFY(lines[2].startsWith("Carter,"));

        // Picking the CSV type makes a name typed without extension a CSV file.
        const QString typed = env.ProgramFolder() + QStringLiteral("typed");
        DialogSeam::QueueFileOfType(typed, 2);
        form->SpeedButtonCSV->click();
        QVERIFY(Bytes(typed + QStringLiteral(".csv")).startsWith("NAME,"));
        QCOMPARE(form->SaveDialogCSV.FilterIndex, 2);

        // A find text typed with SQL in it is a text, not a statement.
        form->ComboBox_Contact_Group->setCurrentText(QString());
        form->Edit_ragsoc->setText(QStringLiteral("\") OR 1=1 --"));
        const QString none = env.ProgramFolder() + QStringLiteral("none.csv");
        DialogSeam::QueueFileOfType(none, 2);
        form->SpeedButtonCSVClick();
        QVERIFY(!QFile::exists(none));
        QCOMPARE(DialogSeam::UnhandledCount(), 0);
    }

    void theFileTypePickedDecidesWhatIsWrittenWhateverTheName() {
        TestEnvironment env;
        TMainForm* form = ContactsTabWithOneContact(env);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QByteArray csvStart("NAME,COMPANY,PHONE,");
        const QByteArray tableStart("SQLite format 3\0", 16);

        struct Case {
            const char* typed;
            int type; // 0: the type the dialog opens with, the exchange file
            const char* written;
            QByteArray start;
        };
        const Case cases[] = {
            {"people.txt", 2, "people.txt", csvStart}, {"people.csv", 1, "people.csv", tableStart},
            {"plain", 2, "plain.csv", csvStart},       {"plain", 1, "plain.QOC", tableStart},
            {"people.QOC", 2, "people.QOC", csvStart}, {"kept.txt", 0, "kept.txt", tableStart},
        };
        for (const Case& c : cases) {
            DialogSeam::QueueFileOfType(env.ProgramFolder() + QLatin1String(c.typed), c.type);
            QTest::mouseClick(form->SpeedButtonCSV, Qt::LeftButton);
            const QString written = env.ProgramFolder() + QLatin1String(c.written);
            QCOMPARE(form->SaveDialogCSV.FileName, written);
            QVERIFY2(Bytes(written).startsWith(c.start), c.written);
            // The dialog opens on the exchange file; the extension follows the type picked.
            QCOMPARE(DialogSeam::Shown().last().defaultExt, QLatin1String(c.type == 2 ? "csv" : "QOC"));
            QFile::remove(written);
        }
        QCOMPARE(DialogSeam::UnhandledCount(), 0);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    // Another user's link in a shared sticky folder is not written through: the user's file it
    // points to keeps its bytes. The user's own link in their own folder still is.
    void exportRefusesAnotherUsersLinkInASharedFolder() {
        TestEnvironment env;
        TMainForm* form = ContactsTabWithOneContact(env);
        QVERIFY(QTest::qWaitForWindowExposed(form));
        const QString profile = env.ProgramFolder() + QStringLiteral("profile");
        WriteFileBytes(profile, "kept\n");
        const QString shared = env.ProgramFolder() + QStringLiteral("shared");
        QVERIFY(QDir().mkpath(shared));
        QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
        const QString planted = shared + QStringLiteral("/contacts.csv");
        QVERIFY(QFile::link(profile, planted));
        if (::lchown(QFile::encodeName(planted).constData(), 65534, 65534) != 0)
            QSKIP("giving a link to another user needs root");

        DialogSeam::QueueFileOfType(planted, 2);
        QTest::mouseClick(form->SpeedButtonCSV, Qt::LeftButton);
        QCOMPARE(ShownTexts(), QStringList{QStringLiteral("The file \"%1\" could not be written: it is "
                                                          "reached through a link that another user put "
                                                          "in a shared folder.")
                                               .arg(planted)});
        QCOMPARE(ReadFileBytes(profile), QByteArray("kept\n"));

        const QString ownLink = env.ProgramFolder() + QStringLiteral("mine.csv");
        QVERIFY(QFile::link(profile, ownLink));
        DialogSeam::QueueFileOfType(ownLink, 2);
        QTest::mouseClick(form->SpeedButtonCSV, Qt::LeftButton);
        QVERIFY(ReadFileBytes(profile).startsWith("NAME,COMPANY,PHONE,"));
        QVERIFY(QFileInfo(ownLink).isSymLink());
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(DialogSeam::UnhandledCount(), 0);
    }

    // The real save dialog, used by hand: the type picked in its list with the keyboard and a name
    // typed with another extension; the type decides what is written.
    void typePickedInTheSaveDialogDecidesTheFormat() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Adams"), QStringLiteral("Elm Road"), QStringLiteral("''"));
        form->RefreshContactQuery();
        DialogSeam::Disable();
        const auto seamBack = qScopeGuard([] { DialogSeam::Enable(); });
        const auto useDialog = [&](int downs, const QString& typed) {
            ModalSeam::Queue([downs, typed](QDialog& dialog) {
                auto* files = qobject_cast<QFileDialog*>(&dialog);
                QVERIFY(files);
                auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
                auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                QVERIFY(types && name);
                types->setFocus();
                for (int i = 0; i < downs; ++i)
                    QTest::keyClick(types, Qt::Key_Down);
                name->setFocus();
                name->selectAll();
                QTest::keyClicks(name, typed);
                auto* buttons = dialog.findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
                QPushButton* save = buttons ? buttons->button(QDialogButtonBox::Save) : nullptr;
                QVERIFY(save);
                // The dialog allows saving once it has read the folder, which it does in the background.
                QTRY_VERIFY(save->isEnabled());
                QTest::mouseClick(save, Qt::LeftButton);
                QVERIFY(!dialog.isVisible());
            });
            QTest::mouseClick(form->SpeedButtonCSV, Qt::LeftButton);
            QCOMPARE(ModalSeam::UnhandledCount(), 0);
        };
        // The dialog opens in the desktop folder; a name typed there is saved there.
        const QString folder = env.ProgramFolder();
        form->UserComp1.Desktop = folder;
        useDialog(1, "people.txt");
        QVERIFY(Bytes(folder + "people.txt").startsWith("NAME,COMPANY,PHONE,"));
        useDialog(0, "book.csv");
        QVERIFY(Bytes(folder + "book.csv").startsWith(QByteArray("SQLite format 3\0", 16)));
        useDialog(1, "plain");
        QVERIFY(Bytes(folder + "plain.csv").startsWith("NAME,COMPANY,PHONE,"));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);
    }

    void plannerHoldsEveryKindOfTheDayInTimeOrder() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        // Monday 7 December 2026.
        testrows::Monthly(env, QStringLiteral("rent"), QStringLiteral("07"), QStringLiteral("11:00"));
        testrows::Weekly(env, QStringLiteral("gym"), QStringLiteral("Monday"), 1, QStringLiteral("08:00"));
        testrows::OneShot(env, QStringLiteral("every day"), QStringLiteral("2026-01-01"),
                          QStringLiteral("07:00"), QStringLiteral("T"));
        testrows::OneShot(env, QStringLiteral("dentist"), QStringLiteral("2026-12-07"),
                          QStringLiteral("10:00"));
        testrows::OneShot(env, QStringLiteral("other day"), QStringLiteral("2026-12-08"),
                          QStringLiteral("10:00"));
        form->DateTimePickerTODAY->setDate(QDate(2026, 12, 7));

        DialogSeam::QueueFile(std::nullopt);
        form->SpeedButtonEportTodayClick();
        QCOMPARE(form->SaveDialogCSV2.FileName, QStringLiteral("The planner for Monday 7 December 2026.csv"));

        const QString file = env.ProgramFolder() + QStringLiteral("plan.csv");
        DialogSeam::QueueFile(file);
        form->SpeedButtonEportTodayClick();
        QCOMPARE(Bytes(file), QByteArray("START,STOP,DESCRIPTION,NOTE\r\n"
                                         "07:00,07:00,every day,\r\n"
                                         "08:00,08:00,gym,\r\n"
                                         "10:00,10:00,dentist,\r\n"
                                         "11:00,11:00,rent,\r\n"));
    }

    void toDoExportFollowsTheStateFilterAndWritesNoFileWhenEmpty() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddToDo(env, QStringLiteral("paint"), 3, QStringLiteral("No"), 40);
        AddToDo(env, QStringLiteral("call"), 5, QStringLiteral("No"), 0);

        const QString file = env.ProgramFolder() + QStringLiteral("To-Do.csv");
        DialogSeam::QueueFile(std::nullopt);
        form->SpeedButtonExportTodoClick();
        QCOMPARE(form->SaveDialogCSV2.FileName, QStringLiteral("To-Do.csv"));

        DialogSeam::QueueFile(file);
        form->SpeedButtonExportTodoClick();
        QCOMPARE(Bytes(file),
                 QByteArray("DESCRIPTION,PRIORITY,PERCENTAGE,NOTE\r\ncall,5,0,\r\npaint,3,40,\r\n"));

        // Nothing done: no file, and the earlier file stays as it was.
        form->ComboBoxToDo->setCurrentText(QStringLiteral("Done"));
        DialogSeam::QueueFile(file);
        form->SpeedButtonExportTodoClick();
        QCOMPARE(Bytes(file),
                 QByteArray("DESCRIPTION,PRIORITY,PERCENTAGE,NOTE\r\ncall,5,0,\r\npaint,3,40,\r\n"));
    }

    void writerLeavesTheDatasetAsFoundAndReportsAnUnwritableFile() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddToDo(env, QStringLiteral("paint"), 3, QStringLiteral("No"), 40);
        TQuery* query = form->Query_Jolly;
        query->Close();
        query->SQL.Clear();
        query->SQL.Add(QStringLiteral("SELECT id FROM QMtod90"));
        const QString file = env.ProgramFolder() + QStringLiteral("closed.csv");
        ExportDataSetToCSV(*query, file);
        QVERIFY(!query->Active());
        QCOMPARE(Bytes(file), QByteArray("id\r\npaint\r\n"));

        query->Open();
        bool thrown = false;
        try {
            ExportDataSetToCSV(*query, env.ProgramFolder() + QStringLiteral("no/such/folder/x.csv"));
        } catch (const std::exception& error) {
            thrown = QString::fromLocal8Bit(error.what()).contains(QStringLiteral("x.csv"));
        }
        QVERIFY(thrown);
        QVERIFY(query->Active());
    }
};

QTEST_MAIN(TestCsvExport)
#include "tst_csvexport.moc"
