#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "support/TestEnvironment.h"
#include "views/ViewTestRows.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QToolButton>
#include <QtTest>

using namespace qm;

namespace {

QString ContactsFile(const TestEnvironment& env) {
    return env.ArchiveFile(QStringLiteral("QMcon26.db"));
}

QString TransferFile(const TestEnvironment& env) {
    return env.ArchiveFile(QStringLiteral("QMtemp.db"));
}

void AddContact(const TestEnvironment& env, const QString& name, const QString& group, const QString& note) {
    TestEnvironment::ExecOnFile(
        ContactsFile(env),
        QStringLiteral("INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,note,fax,gruppo,site,"
                       "company,mobile,allegato) VALUES ('%1','Street 1','555','m@x.org',"
                       "'%3','','%2','','','','')")
            .arg(name, group, QString(note).replace(u'\'', QStringLiteral("''"))));
}

QList<QStringList> Names(const QString& file, const QString& table) {
    return TestEnvironment::RowsOfFile(
        file, QStringLiteral("SELECT ragsoc,gruppo,note,tel FROM %1 ORDER BY ragsoc, codcon").arg(table));
}

} // namespace

class TestContactExchange : public QObject {
    Q_OBJECT

private slots:
    void exportWritesTheVisibleContactsAndImportAppendsThem() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Adams"), QStringLiteral("Friend"), QStringLiteral("it's \"quoted\""));
        AddContact(env, QStringLiteral("Baker"), QStringLiteral("Bank"), QString());
        AddContact(env, QStringLiteral("Carter"), QStringLiteral("Friend"), QString());
        form->ComboBox_Contact_Group->setCurrentText(QStringLiteral("Friend"));
        form->RefreshContactQuery();

        // A leftover transfer table of an interrupted run goes first.
        QFile leftover(TransferFile(env));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("torn");
        leftover.close();

        const QString file = env.ProgramFolder() + QStringLiteral("friends.QOC");
        DialogSeam::QueueFile(file);
        form->SpeedButtonCSV->click();
        QCOMPARE(form->SaveDialogCSV.FileName, file);
        QVERIFY(!QFile::exists(TransferFile(env)));
        const QList<QStringList> exported = Names(file, QStringLiteral("QMtemp"));
        QCOMPARE(exported.size(), 2);
        QCOMPARE(exported[0], (QStringList{QStringLiteral("Adams"), QStringLiteral("Friend"),
                                           QStringLiteral("it's \"quoted\""), QStringLiteral("555")}));
        QCOMPARE(exported[1][0], QStringLiteral("Carter"));

        // An existing target is replaced without a question.
        form->ComboBox_Contact_Group->setCurrentText(QStringLiteral("Bank"));
        form->RefreshContactQuery();
        DialogSeam::QueueFile(file);
        form->SpeedButtonCSV->click();
        QCOMPARE(Names(file, QStringLiteral("QMtemp")).size(), 1);
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        // Importing appends a copy of each contact as a new row; the others stay.
        DialogSeam::QueueFile(file);
        form->ImportadaContattiDaFile->trigger();
        QVERIFY(!QFile::exists(TransferFile(env)));
        QCOMPARE(DialogSeam::Shown().last().filter,
                 QStringLiteral("Quellmire Organizer Contacts (*.QOC)|*.QOC"));
        const QList<QStringList> after = Names(ContactsFile(env), QStringLiteral("QMcon26"));
        QCOMPARE(after.size(), 4);
        QCOMPARE(after[1][0], QStringLiteral("Baker"));
        QCOMPARE(after[2][0], QStringLiteral("Baker"));
        QCOMPARE(TestEnvironment::RowsOfFile(ContactsFile(env),
                                             QStringLiteral("SELECT COUNT(DISTINCT codcon) FROM "
                                                            "QMcon26"))[0][0],
                 QStringLiteral("4"));
        QCOMPARE(form->QueryContact->RecordCount(), 2); // the list was refreshed
    }

    void importRefusesFilesThatAreNoContactsFile() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        AddContact(env, QStringLiteral("Adams"), QString(), QString());

        // A table with other columns.
        const QString other = env.ProgramFolder() + QStringLiteral("other.QOC");
        TestEnvironment::ExecOnFile(other,
                                    QStringLiteral("CREATE TABLE QMtemp (codcon INTEGER PRIMARY KEY, ragsoc "
                                                   "TEXT, tel TEXT)"));
        TestEnvironment::ExecOnFile(other,
                                    QStringLiteral("INSERT INTO QMtemp (ragsoc, tel) VALUES ('X', '1')"));
        DialogSeam::QueueFile(other);
        form->ImportadaContattiDaFileClick();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QVERIFY(MessageBoxSeam::Shown().last().text.contains(QStringLiteral("columns do not match")));
        QCOMPARE(MessageBoxSeam::Shown().last().caption, QStringLiteral("Quellmire Organizer"));

        // Not a table file at all.
        const QString text = env.ProgramFolder() + QStringLiteral("text.QOC");
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        DialogSeam::QueueFile(text);
        form->ImportadaContattiDaFileClick();
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
        QVERIFY(MessageBoxSeam::Shown().last().text.contains(
            QStringLiteral("not a Quellmire Organizer contacts")));

        // A file that cannot be read.
        DialogSeam::QueueFile(env.ProgramFolder() + QStringLiteral("missing.QOC"));
        form->ImportadaContattiDaFileClick();
        QCOMPARE(MessageBoxSeam::Shown().last().text,
                 "Error importing!\rThe file \"" + env.ProgramFolder() +
                     "missing.QOC\" could not be read: No such file or directory.");

        QCOMPARE(Names(ContactsFile(env), QStringLiteral("QMcon26")).size(), 1);
        QVERIFY(!QFile::exists(TransferFile(env)));
    }

    void saveDialogTypeSetsTheExtensionAndImportMenuSitsUnderItsButton() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->SaveDialogCSVTypeChange(2);
        QCOMPARE(form->SaveDialogCSV.DefaultExt, QStringLiteral("csv"));
        form->SaveDialogCSVTypeChange(1);
        QCOMPARE(form->SaveDialogCSV.DefaultExt, QStringLiteral("QOC"));
        QVERIFY(form->SpeedButtonQOC->isEnabled());
        QCOMPARE(form->SpeedButtonQOC->toolTip(), QStringLiteral("Import"));
        const QList<QAction*> items = form->PopupMenuImportaContatti->actions();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0]->text(), QStringLiteral("Import from Windows address book"));
        QCOMPARE(items[1]->text(), QStringLiteral("Import from file"));
        form->show();
        form->SpeedButtonQOC->click();
        QVERIFY(form->PopupMenuImportaContatti->isVisible());
        form->PopupMenuImportaContatti->hide();
    }
};

QTEST_MAIN(TestContactExchange)
#include "tst_contactexchange.moc"
