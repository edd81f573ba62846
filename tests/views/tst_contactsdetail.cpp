#include "app/MainForm.h"
#include "engine/Query.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/TextLines.h"
#include "platform/widgets/Panel.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

using namespace qm;

namespace {

// name, tel, mobile, email, site, allegato; NULL where the text is "NULL".
void Contact(const TestEnvironment& env, const QStringList& v) {
    QStringList sql;
    for (const QString& value : v)
        sql << (value == QLatin1String("NULL")
                    ? value
                    : QLatin1Char('\'') + QString(value).replace(u'\'', QStringLiteral("''")) +
                          QLatin1Char('\''));
    TestEnvironment::ExecOnFile(
        env.ArchiveFile(QStringLiteral("QMcon26.db")),
        QStringLiteral("INSERT INTO QMcon26 (ragsoc,tel,mobile,email,site,allegato) VALUES (") +
            sql.join(u',') + QLatin1Char(')'));
}

QStringList GroupItems(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ContactsDetailTest : public QObject {
    Q_OBJECT
private slots:
    void detailLineAndButtonsFollowTheRow() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->RefreshContactQuery();
        QCOMPARE(form->Panel_FullName->Caption(), QString());
        for (QToolButton* b : {form->SpeedButtonMailContact, form->SpeedButtonTele, form->SpeedButtonWeb,
                               form->SpeedButton_ApriAllegato})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));

        Contact(env, {"Anna", "02 1", "", "a@b.c", "http://", "/data/cv.pdf"});
        Contact(env, {"Bob", "", "333", "", "http://x", "/data/folder/"});
        Contact(env, {"Carl", "NULL", "NULL", "NULL", "NULL", "NULL"});
        form->RefreshContactQuery();

        QCOMPARE(form->Panel_FullName->Caption(), QStringLiteral("Anna   "));
        QVERIFY(form->SpeedButtonMailContact->isEnabled());
        QVERIFY(form->SpeedButtonTele->isEnabled());
        QVERIFY(!form->SpeedButtonWeb->isEnabled()); // the bare scheme is no page
        QVERIFY(form->SpeedButton_ApriAllegato->isEnabled());
        QCOMPARE(form->SpeedButton_ApriAllegato->text(), QStringLiteral("cv.pdf"));
        QCOMPARE(form->SpeedButton_ApriAllegato->toolTip(), QStringLiteral("Launch attach:\r/data/cv.pdf"));

        form->QueryContact->Next();
        QCOMPARE(form->Panel_FullName->Caption(), QStringLiteral("Bob   "));
        QVERIFY(!form->SpeedButtonMailContact->isEnabled());
        QVERIFY(form->SpeedButtonTele->isEnabled()); // the mobile number is enough
        QVERIFY(form->SpeedButtonWeb->isEnabled());
        QCOMPARE(form->SpeedButton_ApriAllegato->text(), QStringLiteral("/data/folder/"));

        form->QueryContact->Next();
        QCOMPARE(form->Panel_FullName->Caption(), QStringLiteral("Carl   "));
        for (QToolButton* b : {form->SpeedButtonMailContact, form->SpeedButtonTele, form->SpeedButtonWeb,
                               form->SpeedButton_ApriAllegato})
            QVERIFY2(!b->isEnabled(), qPrintable(b->objectName()));
        QCOMPARE(form->SpeedButton_ApriAllegato->text(), QString());
        QCOMPARE(form->SpeedButton_ApriAllegato->toolTip(), QStringLiteral("No attach for this contact"));
    }

    void mailAndWebLaunchOrSaySo() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Contact(env, {"Anna", "", "", "a@b.c", "www.example.org", ""});
        form->RefreshContactQuery();
        form->SpeedButtonMailContact->click();
        form->SpeedButtonWeb->click();
        QCOMPARE(LauncherSeam::Launches(), QStringList({"mailto:a@b.c", "www.example.org"}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        LauncherSeam::QueueResult(false);
        form->SpeedButtonMailContact->click();
        LauncherSeam::QueueResult(false);
        form->SpeedButtonWeb->click();
        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text, QStringLiteral("Sorry, web browser not found!"));
        QCOMPARE(boxes[1].text, QStringLiteral("Sorry, I can't find your web browser"));
    }

    void attachmentLaunches() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString folder = env.ProgramFolder() + QStringLiteral("files.v2");
        QVERIFY(QDir().mkpath(folder));
        const QString noExtension = folder + QStringLiteral("/readme");
        QVERIFY(SaveTextLines(noExtension, {QStringLiteral("x")}));
        const QString missing = env.ProgramFolder() + QStringLiteral("gone/cv.pdf");
        Contact(env, {"A", "", "", "", "", noExtension});
        Contact(env, {"B", "", "", "", "", folder});
        Contact(env, {"C", "", "", "", "", missing});
        form->RefreshContactQuery();

        form->SpeedButton_ApriAllegato->click();
        form->QueryContact->Next();
        form->SpeedButton_ApriAllegato->click();
        QCOMPARE(LauncherSeam::Launches(), QStringList({noExtension, folder}));
        QCOMPARE(MessageBoxSeam::Shown().size(), 0);

        form->QueryContact->Next();
        form->SpeedButton_ApriAllegato->click();
        QCOMPARE(LauncherSeam::Launches().size(), 2);
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(
            MessageBoxSeam::Shown()[0].text,
            QStringLiteral("Impossible to launch \"") + missing +
                QStringLiteral("\". The cause may be:\r\r- Attach deleted from disk;\r- Attach was moved;\r- "
                               "Attah is not linked with an application;\r- Tha path of the attach isn't "
                               "correct."));

        // A desktop that refuses the file gives the same single message.
        form->QueryContact->First();
        LauncherSeam::QueueResult(false);
        form->SpeedButton_ApriAllegato->click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 2);
    }

    void groupsAreAddedAndRemovedAndKeptInTheirFile() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QComboBox* groups = form->ComboBox_Contact_Group;
        const QString file = env.ArchiveFile(QStringLiteral("Groups.txt"));
        QCOMPARE(groups->count(), 21);
        QCOMPARE(groups->itemText(0), QString());

        groups->setEditText(QStringLiteral("Choir"));
        MessageBoxSeam::QueueAnswer(Id::No);
        form->SpeedButton12->click();
        QVERIFY(!QFile::exists(file));
        QCOMPARE(groups->count(), 21);

        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton12->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QStringLiteral("Add the \"Choir\" group?"));
        QCOMPARE(MessageBoxSeam::Shown().last().flags, 4 + 32);
        const QStringList afterAdd = GroupItems(groups);
        QCOMPARE(afterAdd.size(), 22);
        QStringList sorted = afterAdd;
        std::sort(sorted.begin(), sorted.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        QCOMPARE(afterAdd, sorted);
        QByteArray expected = afterAdd.join(QStringLiteral("\r\n")).toUtf8() + "\r\n";
        QCOMPARE(FileBytes(file), expected);
        QVERIFY(form->SpeedButton17->isEnabled());

        // A name already listed goes in a second time.
        groups->setEditText(QStringLiteral("Choir"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton12->click();
        QCOMPARE(GroupItems(groups).count(QStringLiteral("Choir")), 2);

        // Typed text that names no chosen entry removes nothing, yet the file is written and the text
        // emptied.
        QFile::remove(file);
        groups->setEditText(QStringLiteral("Nobody"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton17->click();
        QCOMPARE(GroupItems(groups).size(), 23);
        QVERIFY(QFile::exists(file));
        QCOMPARE(groups->currentText(), QString());

        const int teacher = groups->findText(QStringLiteral("Teacher"));
        groups->setCurrentIndex(teacher);
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton17->click();
        QCOMPARE(MessageBoxSeam::Shown().last().text, QStringLiteral("Remove the \"Teacher\" group?"));
        QVERIFY(!GroupItems(groups).contains(QStringLiteral("Teacher")));
        QVERIFY(!QString::fromUtf8(FileBytes(file)).contains(QStringLiteral("Teacher")));

        // The next start reads the list back.
        env.DestroyMainForm();
        form = env.CreateMainForm();
        QCOMPARE(GroupItems(form->ComboBox_Contact_Group).size(), 22);
        QCOMPARE(MessageBoxSeam::UnansweredCount(), 0);
    }

    void dialAndAddressBookImportAreReachable() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        Contact(env, {"Anna", "02 1", "", "", "", ""});
        form->RefreshContactQuery();
        QVERIFY(form->SpeedButtonTele->isEnabled());
        QString shown;
        ModalSeam::Queue(
            [&](QDialog& dialog) { shown = QString::fromLatin1(dialog.metaObject()->className()); });
        form->SpeedButtonTele->click();
        QCOMPARE(shown, QStringLiteral("qm::TTeleForm"));

        MessageBoxSeam::QueueAnswer(Id::No);
        form->ImportadaRubricaWindows->trigger();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
        QCOMPARE(MessageBoxSeam::Shown()[0].text,
                 QStringLiteral("Import contacts from Windows address book?"));
    }

    void groupChangeFiltersTheContacts() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        TestEnvironment::ExecOnFile(
            env.ArchiveFile(QStringLiteral("QMcon26.db")),
            QStringLiteral("INSERT INTO QMcon26 (ragsoc,gruppo) VALUES ('Anna','Choir'),"
                           "('Bob','Work')"));
        form->ComboBox_Contact_Group->setEditText(QStringLiteral("Choir"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        form->SpeedButton12->click();
        QCOMPARE(form->QueryContact->RecordCount(), 1);
        QCOMPARE(form->Panel_FullName->Caption(), QStringLiteral("Anna   "));
    }
};

QTEST_MAIN(ContactsDetailTest)
#include "tst_contactsdetail.moc"
