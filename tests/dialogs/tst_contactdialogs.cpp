#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "dialogs/ContactDialogs.h"
#include "engine/Query.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>
#include <functional>

using namespace qm;

namespace {

const QString kColumns =
    QStringLiteral("ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato");

QList<QStringList> Rows(const TestEnvironment& env) {
    return TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                       QStringLiteral("SELECT ") + kColumns +
                                           QStringLiteral(" FROM QMcon26 ORDER BY codcon"));
}

template <typename Dialog> void OnDialog(std::function<void(Dialog&)> act) {
    ModalSeam::Queue([act](QDialog& dialog) {
        auto* contact = qobject_cast<Dialog*>(&dialog);
        QVERIFY(contact);
        act(*contact);
    });
}

void Fill(TContactFormBase& d, const QString& name) {
    d.Edit_ragsoc->setText(name);
    d.EDIT_indirizzo->setText(QStringLiteral("Via Roma 1"));
    d.Edit_tel->setText(QStringLiteral("02 1"));
    d.Edit_Fax->setText(QStringLiteral("02 2"));
    d.Edit_email->setText(QStringLiteral("a@b.c"));
    d.EDIT_note->setText(QStringLiteral("it's \"fine\""));
    d.ComboBox_Contact_Group->setEditText(QStringLiteral("Choir"));
    d.Edit_Site->setText(QStringLiteral("http://a.b"));
    d.Edit_Company->setText(QStringLiteral("Acme"));
    d.Edit_Mobile->setText(QStringLiteral("333"));
    d.Edit_Allegato->setText(QStringLiteral("/tmp/cv.pdf"));
}

QStringList Filled(const QString& name) {
    return {name,    "Via Roma 1", "02 1", "02 2", "a@b.c",      "it's \"fine\"",
            "Choir", "http://a.b", "Acme", "333",  "/tmp/cv.pdf"};
}

void Key(QWidget* target, Qt::Key key) {
    QTest::keyClick(target, key);
}

} // namespace

class ContactDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void addInsertsEachPressAndKeepsOpen() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        QString caption;
        QStringList afterInsert;
        int groupCount = 0;
        OnDialog<TAggConForm>([&](TAggConForm& d) {
            caption = d.windowTitle();
            groupCount = d.ComboBox_Contact_Group->count();
            Fill(d, QStringLiteral("Anna"));
            d.SpeedButtonInsert->click();
            afterInsert << d.Edit_ragsoc->text() << d.ComboBox_Contact_Group->currentText();
            QVERIFY(d.isVisible());
            Fill(d, QStringLiteral("Anna"));
            d.SpeedButtonInsert->click();
            // An empty name is stored, and shown, as "Mr. X".
            d.SpeedButtonInsertClose->click();
            QCOMPARE(d.Edit_ragsoc->text(), QStringLiteral("Mr. X"));
        });
        form->SpeedButtonAggContact->click();
        QCOMPARE(caption, QStringLiteral("-> New Contact"));
        QCOMPARE(groupCount, form->ComboBox_Contact_Group->count());
        QCOMPARE(afterInsert, QStringList({QString(), QString()}));
        QStringList empty(11);
        empty[0] = QStringLiteral("Mr. X");
        QCOMPARE(Rows(env), QList<QStringList>({Filled("Anna"), Filled("Anna"), empty}));
        QCOMPARE(form->QueryContact->RecordCount(), 3);
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void enterSavesAndEscWritesNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        OnDialog<TAggConForm>([](TAggConForm& d) {
            d.Edit_ragsoc->setText(QStringLiteral("Esc"));
            Key(d.Edit_ragsoc, Qt::Key_Escape);
        });
        form->SpeedButtonAggContact->click();
        QVERIFY(Rows(env).isEmpty());
        OnDialog<TAggConForm>([](TAggConForm& d) {
            d.Edit_ragsoc->setText(QStringLiteral("Enter"));
            Key(d.ComboBox_Contact_Group->lineEdit(), Qt::Key_Return);
            QVERIFY(!d.isVisible());
        });
        form->SpeedButtonAggContact->click();
        QCOMPARE(Rows(env).size(), 1);
        QCOMPARE(Rows(env)[0][0], QStringLiteral("Enter"));
    }

    void modifyLoadsAndUpdatesOnlyItsRowAndStaysOnIt() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                    QStringLiteral("INSERT INTO QMcon26 (ragsoc,tel,gruppo,allegato) VALUES "
                                                   "('Anna','1','Work',NULL),('Bob','2',NULL,NULL),"
                                                   "('Carl','3','','')"));
        form->RefreshContactQuery();
        form->QueryContact->SetRecNo(2);
        QStringList loaded;
        QString caption;
        OnDialog<TModConForm>([&](TModConForm& d) {
            caption = d.windowTitle();
            loaded << d.Edit_ragsoc->text() << d.Edit_tel->text() << d.ComboBox_Contact_Group->currentText()
                   << d.Edit_Allegato->text();
            QVERIFY(!d.SpeedButtonClearAllegato->isEnabled());
            d.Edit_ragsoc->setText(QStringLiteral("Zeno"));
            d.ComboBox_Contact_Group->setEditText(QStringLiteral("Friend"));
            Key(d.Edit_tel, Qt::Key_Return);
        });
        form->SpeedButtonModContact->click();
        QCOMPARE(caption, QStringLiteral("-> Modify Contact"));
        QCOMPARE(loaded, QStringList({"Bob", "2", "", ""}));
        const QList<QStringList> rows = Rows(env);
        QCOMPARE(rows[0][0], QStringLiteral("Anna"));
        QCOMPARE(rows[1][0], QStringLiteral("Zeno"));
        QCOMPARE(rows[1][6], QStringLiteral("Friend"));
        QCOMPARE(rows[2][0], QStringLiteral("Carl"));
        // The list is sorted by name: the contact moved to the end and the list follows it.
        QCOMPARE(form->QueryContact->FieldByName(QStringLiteral("ragsoc")).AsString(),
                 QStringLiteral("Zeno"));

        OnDialog<TModConForm>([](TModConForm& d) {
            d.Edit_ragsoc->clear();
            d.SpeedButtonPrint->click();
            d.SpeedButtonClose->click();
        });
        PrintSeam::Reset();
        form->SpeedButtonModContact->click();
        QCOMPARE(PrintSeam::Printed().size(), 1);
        QCOMPARE(Rows(env)[1][0], QStringLiteral("Zeno"));
    }

    void modifyStoresUntouchedValuesWhole() {
        // Values longer than the fields' limits (from a vCard import, say) are stored back whole;
        // the limits hold what is typed or pasted, counted in characters.
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString name = QString(55, u'N'), phone = QString(120, u'1'), note = QString(400, u'o');
        TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                    QStringLiteral("INSERT INTO QMcon26 (ragsoc,tel,note,gruppo) VALUES "
                                                   "('%1','%2','%3','%4')")
                                        .arg(name, phone, note, QString(40, u'g')));
        form->RefreshContactQuery();
        const QList<QStringList> before = Rows(env);
        const QString star = QStringLiteral("\U0001F31F");
        OnDialog<TModConForm>([&](TModConForm& d) {
            d.Edit_ragsoc->setFocus();
            QTest::keyClick(d.Edit_ragsoc, Qt::Key_End);
            QTest::keyClicks(d.Edit_ragsoc, QStringLiteral("xy"));
            QCOMPARE(d.Edit_ragsoc->text(), name);
            d.Edit_Company->setFocus();
            QInputMethodEvent typed;
            typed.setCommitString(star.repeated(60));
            QApplication::sendEvent(d.Edit_Company, &typed);
            Key(d.Edit_Company, Qt::Key_Return);
        });
        form->SpeedButtonModContact->click();
        QStringList expected = before[0];
        expected[8] = star.repeated(50);
        QCOMPARE(Rows(env), QList<QStringList>({expected}));
    }

    void modifyOnAnEmptyListOpensNothing() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        form->RefreshContactQuery();
        form->SpeedButtonModContactClick();
        QCOMPARE(ModalSeam::UnhandledCount(), 0);
    }

    void attachmentFieldAndItsButtons() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString folder = env.ProgramFolder() + QStringLiteral("docs");
        QVERIFY(QDir().mkpath(folder));
        QList<ShownDialog> opened;
        QList<ShownBrowser> browsed;
        QStringList texts;
        OnDialog<TAggConForm>([&](TAggConForm& d) {
            d.Edit_Allegato->setText(QStringLiteral("/nowhere/x.txt"));
            QVERIFY(d.SpeedButtonClearAllegato->isEnabled());
            QCOMPARE(d.Edit_Allegato->toolTip(), QStringLiteral("/nowhere/x.txt"));
            DialogSeam::QueueFile(folder + QStringLiteral("/a.pdf"));
            d.SpeedButtonAllegaFile->click();
            texts << d.Edit_Allegato->text();
            DialogSeam::QueueFile(std::nullopt);
            d.SpeedButtonAllegaFile->click();
            texts << d.Edit_Allegato->text();
            opened = DialogSeam::Shown();

            BrowseForFolderSeam::QueueFolder(std::nullopt);
            d.SpeedButtonAllegaCartella->click();
            d.Edit_Allegato->setText(folder);
            BrowseForFolderSeam::QueueFolder(env.ProgramFolder());
            d.SpeedButtonAllegaCartella->click();
            texts << d.Edit_Allegato->text();
            browsed = BrowseForFolderSeam::Shown();

            d.SpeedButtonClearAllegato->click();
            QVERIFY(d.Edit_Allegato->text().isEmpty());
            QVERIFY(!d.SpeedButtonClearAllegato->isEnabled());
            d.SpeedButtonAiutoAllegato->click();

            d.Edit_Allegato->setText(QStringLiteral("/gone/old.doc"));
            QTest::mouseDClick(d.Edit_Allegato, Qt::LeftButton);
            d.SpeedButtonClose->click();
        });
        form->SpeedButtonAggContact->click();

        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0].initialDir, form->UserComp1.Desktop); // the typed folder does not exist
        QCOMPARE(opened[0].filter, QStringLiteral("All files (*.*)|*.*"));
        QCOMPARE(opened[1].initialDir, folder + QStringLiteral("/"));
        QCOMPARE(texts, QStringList({folder + QStringLiteral("/a.pdf"), folder + QStringLiteral("/a.pdf"),
                                     QDir::cleanPath(env.ProgramFolder())}));
        QCOMPARE(browsed.size(), 2);
        QCOMPARE(browsed[0].caption, QStringLiteral("Attach folder"));
        QCOMPARE(browsed[0].startFolder, QDir::homePath()); // the text was a file, not a folder
        QCOMPARE(browsed[1].startFolder, folder);

        const QList<ShownBox> boxes = MessageBoxSeam::Shown();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0].text,
                 QStringLiteral("If you use Quellmire Organizer in a LAN,\rto share the attach enter "
                                "the \"absolute path\"\rin this field."));
        QVERIFY(
            boxes[1].text.startsWith(QStringLiteral("Impossible to launch \"old.doc\". The cause may be:")));
        QVERIFY(Rows(env).isEmpty());
    }
};

QTEST_MAIN(ContactDialogsTest)
#include "tst_contactdialogs.moc"
