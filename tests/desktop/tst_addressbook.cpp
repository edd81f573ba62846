#include "app/MainForm.h"
#include "desktop/WinAddressBook.h"
#include "platform/MessageBox.h"
#include "platform/SafeFile.h"
#include "support/FileBytes.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

namespace {

// A vCard 2.1 card with bare types, quoted-printable text and a soft line break; a 3.0 card with a
// folded line, escapes and two addresses; a 4.0 group card; a 4.0 card after it.
const QByteArray Cards = "BEGIN:VCARD\r\n"
                         "VERSION:2.1\r\n"
                         "N:Rossi;Mario\r\n"
                         "FN:Mario Rossi\r\n"
                         "TEL;HOME;VOICE:02 1234\r\n"
                         "TEL;WORK;VOICE:02 9999\r\n"
                         "TEL;WORK;FAX:02 8888\r\n"
                         "TEL;CELL:333 444\r\n"
                         "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:Caff=C3=A8 al=\r\n"
                         " bar=0D=0Adomani\r\n"
                         "ADR;HOME:;;Via Roma 1;Milano;MI;20100;Italia\r\n"
                         "EMAIL;INTERNET:mario@example.org\r\n"
                         "END:VCARD\r\n"
                         "BEGIN:VCARD\n"
                         "VERSION:3.0\n"
                         "FN:Anna Bianchi\n"
                         "ORG:Bianchi\\, Sons;Sales\n"
                         "TEL;TYPE=WORK,VOICE:06 5555\n"
                         "EMAIL;TYPE=INTERNET:anna@work.example\n"
                         "EMAIL;TYPE=INTERNET,PREF:anna@home.exam\n"
                         " ple\n"
                         "item1.URL:https://anna.example\n"
                         "ADR;TYPE=WORK:;;Corso 2;Roma;;00100;Italia\n"
                         "NOTE:one\\ntwo\\; three\n"
                         "END:VCARD\n"
                         "BEGIN:VCARD\r\n"
                         "VERSION:4.0\r\n"
                         "KIND:group\r\n"
                         "FN:Friends\r\n"
                         "MEMBER:urn:uuid:1\r\n"
                         "END:VCARD\r\n"
                         "BEGIN:VCARD\r\n"
                         "VERSION:4.0\r\n"
                         "N:Verdi;Luca;;Dr.;\r\n"
                         "TEL;VALUE=uri;TYPE=\"home,voice\":tel:+39-011-22\r\n"
                         "END:VCARD\r\n";

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString Value(const QStringList& lines, const char* name) {
    return TWinAddressBook::PropertyValue(lines, QString::fromLatin1(name));
}

// The user's data folder of the test, with its contacts folder.
class DataHome {
public:
    DataHome() {
        m_old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
        QDir(m_dir.path()).mkpath(QStringLiteral("contacts"));
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", m_old); }
    QString Contacts() const { return m_dir.path() + QStringLiteral("/contacts"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

} // namespace

class TestAddressBook : public QObject {
    Q_OBJECT

private slots:
    void cardsOfEveryVersion() {
        const QList<QStringList> people = TWinAddressBook::ParseVCards(Cards);
        QCOMPARE(people.size(), 3); // the group is no person
        const QStringList& mario = people.at(0);
        QCOMPARE(Value(mario, "DISPLAY_NAME"), QStringLiteral("Mario Rossi"));
        QCOMPARE(Value(mario, "HOME_TELEPHONE_NUMBER"), QStringLiteral("02 1234"));
        QCOMPARE(Value(mario, "BUSINESS_TELEPHONE_NUMBER"), QStringLiteral("02 9999"));
        QCOMPARE(Value(mario, "BUSINESS_FAX_NUMBER"), QStringLiteral("02 8888"));
        QCOMPARE(Value(mario, "HOME_FAX_NUMBER"), QString());
        QCOMPARE(Value(mario, "MOBILE_TELEPHONE_NUMBER"), QStringLiteral("333 444"));
        QCOMPARE(Value(mario, "COMMENT"), QStringLiteral("Caffè al bar\r\ndomani"));
        QCOMPARE(Value(mario, "HOME_ADDRESS_STREET"), QStringLiteral("Via Roma 1"));
        QCOMPARE(Value(mario, "HOME_ADDRESS_CITY"), QStringLiteral("Milano"));
        QCOMPARE(Value(mario, "HOME_ADDRESS_POSTAL_CODE"), QStringLiteral("20100"));
        QCOMPARE(Value(mario, "EMAIL_ADDRESS"), QStringLiteral("mario@example.org"));

        const QStringList& anna = people.at(1);
        QCOMPARE(Value(anna, "COMPANY_NAME"), QStringLiteral("Bianchi, Sons"));
        QCOMPARE(Value(anna, "EMAIL_ADDRESS"), QStringLiteral("anna@home.example")); // preferred, folded
        QCOMPARE(Value(anna, "PERSONAL_HOME_PAGE"), QStringLiteral("https://anna.example"));
        QCOMPARE(Value(anna, "HOME_ADDRESS_STREET"), QString()); // a work address only
        QCOMPARE(Value(anna, "LOCALITY"), QStringLiteral("Roma"));
        QCOMPARE(Value(anna, "COMMENT"), QStringLiteral("one\ntwo; three"));

        const QStringList& luca = people.at(2);
        QCOMPARE(Value(luca, "DISPLAY_NAME"), QStringLiteral("Dr. Luca Verdi")); // from N without FN
        QCOMPARE(Value(luca, "HOME_TELEPHONE_NUMBER"), QStringLiteral("+39-011-22"));
    }

    void onlyWholeCardsAreRead_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("people"); // name/home telephone
        QTest::addColumn<int>("skipped");
        const QByteArray whole = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Whole\r\nEND:VCARD\r\n";
        QTest::newRow("next card begins before the end")
            << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Cut\r\nTEL:0\r\n" + whole << QStringList{"Whole/"} << 1;
        QTest::newRow("end without line break") << whole.chopped(2) << QStringList{"Whole/"} << 0;
        const QByteArray agent = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss\r\nAGENT:\r\n"
                                 "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Assistant\r\nTEL:9\r\nEND:VCARD\r\n";
        QTest::newRow("2.1 agent card inside a card") << agent + "TEL:1\r\nEND:VCARD\r\n"
                                                      << QStringList{"Boss/1"} << 0;
        QTest::newRow("card cut after its agent card") << whole + agent << QStringList{"Whole/"} << 1;
    }
    void onlyWholeCardsAreRead() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, people);
        QFETCH(int, skipped);
        int unread = 0;
        QStringList read;
        for (const QStringList& person : TWinAddressBook::ParseVCards(file, &unread))
            read.append(Value(person, "DISPLAY_NAME") + u'/' + Value(person, "HOME_TELEPHONE_NUMBER"));
        QCOMPARE(read, people);
        QCOMPARE(unread, skipped);
    }

    void typedValuesWinTheirSlotsAndAddressesStayWhole() {
        const QList<QStringList> people =
            TWinAddressBook::ParseVCards("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Slots\r\n"
                                         "TEL;TYPE=VOICE,PREF:1 untyped preferred\r\n"
                                         "TEL;TYPE=HOME:2 home\r\n"
                                         "TEL;TYPE=HOME,PREF:3 home preferred\r\n"
                                         "TEL;TYPE=HOME:4 home later\r\n"
                                         "TEL;TYPE=FAX:5 fax\r\n"
                                         "TEL;TYPE=WORK,FAX:6 work fax\r\n"
                                         "TEL;TYPE=PAGER:7 pager\r\n"
                                         "ADR;TYPE=HOME:;;Via Corta 1;;;;\r\n"
                                         "ADR:;;Via Lunga 2;Genova;GE;16100;Italia\r\n"
                                         "ADR;TYPE=WORK:;;;Pisa;;;\r\n"
                                         "ADR;TYPE=WORK,PREF:;;Lungarno 3;Firenze;;50100;\r\n"
                                         "ADR;TYPE=WORK:;;Viale 4;Siena;SI;53100;Italia\r\n"
                                         "ADR;TYPE=HOME:;;;;;;\r\n"
                                         "END:VCARD\r\n");
        QCOMPARE(people.size(), 1);
        const QStringList& p = people.at(0);
        QCOMPARE(Value(p, "HOME_TELEPHONE_NUMBER"), QStringLiteral("3 home preferred"));
        QCOMPARE(Value(p, "HOME_FAX_NUMBER"), QStringLiteral("5 fax"));
        QCOMPARE(Value(p, "BUSINESS_FAX_NUMBER"), QStringLiteral("6 work fax"));
        QCOMPARE(Value(p, "PAGER_TELEPHONE_NUMBER"), QStringLiteral("7 pager"));
        // The home address is the typed one, street alone: nothing of the untyped one joins it.
        QCOMPARE(Value(p, "HOME_ADDRESS_STREET"), QStringLiteral("Via Corta 1"));
        for (const char* part : {"HOME_ADDRESS_CITY", "HOME_ADDRESS_STATE_OR_PROVINCE",
                                 "HOME_ADDRESS_POSTAL_CODE", "HOME_ADDRESS_COUNTRY"})
            QCOMPARE(Value(p, part), QString());
        QCOMPARE(Value(p, "STREET_ADDRESS"), QStringLiteral("Lungarno 3"));
        QCOMPARE(Value(p, "LOCALITY"), QStringLiteral("Firenze"));
        QCOMPARE(Value(p, "POSTAL_CODE"), QStringLiteral("50100"));
        QCOMPARE(Value(p, "STATE_OR_PROVINCE"), QString());
        QCOMPARE(Value(p, "COUNTRY"), QString());

        // An untyped value still fills a slot that no typed one claims.
        const QStringList untyped =
            TWinAddressBook::ParseVCards("BEGIN:VCARD\nFN:U\nTEL:9\nADR:;;Via 9;Bari;;;\n"
                                         "END:VCARD\n")
                .value(0);
        QCOMPARE(Value(untyped, "HOME_TELEPHONE_NUMBER"), QStringLiteral("9"));
        QCOMPARE(Value(untyped, "HOME_ADDRESS_CITY"), QStringLiteral("Bari"));
    }

    void eachCardKeepsItsOwnEncoding() {
        // Cards gathered into one file from a UTF-8 phone and an old 8-bit program; a CHARSET no
        // converter knows falls back to the same rule.
        int skipped = 0;
        const QList<QStringList> people = TWinAddressBook::ParseVCards(
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:J\xC3\xBCrgen\r\nNOTE:\xC3\x83\xC2\xA9 stays\r\n"
            "END:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:J\xFCrgen Alt\r\nNOTE:\xC3\xA9 and \x80\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;CHARSET=X-UNHEARD-OF:Ren\xC3\xA9\r\n"
            "NOTE;CHARSET=X-UNHEARD-OF;ENCODING=QUOTED-PRINTABLE:Ren=E9\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN: \r\nN:;;;;\r\nORG:;Dept\r\nEND:VCARD\r\n",
            &skipped);
        QCOMPARE(people.size(), 3);
        QCOMPARE(skipped, 1);
        QCOMPARE(Value(people.at(0), "DISPLAY_NAME"), QStringLiteral("Jürgen"));
        QCOMPARE(Value(people.at(0), "COMMENT"), QStringLiteral("Ã© stays"));
        // The whole card is no UTF-8: even its UTF-8-looking bytes are Windows-1252.
        QCOMPARE(Value(people.at(1), "DISPLAY_NAME"), QStringLiteral("Jürgen Alt"));
        QCOMPARE(Value(people.at(1), "COMMENT"), QStringLiteral("Ã© and €"));
        QCOMPARE(Value(people.at(2), "DISPLAY_NAME"), QStringLiteral("René"));
        QCOMPARE(Value(people.at(2), "COMMENT"), QStringLiteral("René"));
    }

    void folderNamesAndProperties() {
        DataHome home;
        WriteFile(home.Contacts() + QStringLiteral("/b.vcf"), Cards);
        WriteFile(home.Contacts() + QStringLiteral("/a.vcf"),
                  "BEGIN:VCARD\nVERSION:3.0\nFN:Zeno\nEND:VCARD\n");
        WriteFile(home.Contacts() + QStringLiteral("/notes.txt"), "BEGIN:VCARD\nFN:Not me\nEND:VCARD\n");
        TWinAddressBook book;
        book.setToDefaultAddressBook();
        QCOMPARE(book.fileName, home.Contacts());
        book.loadFile();
        QCOMPARE(book.contacts,
                 QStringList({QStringLiteral("Zeno"), QStringLiteral("Mario Rossi"),
                              QStringLiteral("Anna Bianchi"), QStringLiteral("Dr. Luca Verdi")}));
        book.getPropertiesOf(QStringLiteral("ANNA bianchi"));
        QCOMPARE(Value(book.properties, "DISPLAY_NAME"), QStringLiteral("Anna Bianchi"));
        book.getPropertiesOf(QStringLiteral("Nobody"));
        QVERIFY(book.properties.isEmpty());

        book.fileName = home.Contacts() + QStringLiteral("/missing");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, book.loadFile());
        QVERIFY(book.contacts.isEmpty());
    }

    // A card file past the most one may hold is refused by name before it is read; a FIFO among
    // the cards is no card file and is never waited on (the alarm fails a wait).
    void oversizedCardFileIsRefusedByName() {
        DataHome home;
        WriteFile(home.Contacts() + QStringLiteral("/a.vcf"),
                  "BEGIN:VCARD\nVERSION:3.0\nFN:Zeno\nEND:VCARD\n");
        QCOMPARE(::mkfifo(QFile::encodeName(home.Contacts() + QStringLiteral("/pipe.vcf")).constData(), 0600),
                 0);
        TWinAddressBook book;
        book.setToDefaultAddressBook();
        ::alarm(30);
        book.loadFile();
        QCOMPARE(book.contacts, QStringList{QStringLiteral("Zeno")});
        const QString big = home.Contacts() + QStringLiteral("/big.vcf");
        WriteSparseFile(big, qint64(1) << 30);
        QString error;
        try {
            book.loadFile();
        } catch (const std::runtime_error& e) {
            error = QString::fromStdString(e.what());
        }
        ::alarm(0);
        QCOMPARE(error, TooLargeText(big, kDocumentLimit));
        QVERIFY2(error.endsWith("larger than 64 MB."), qPrintable(error));
    }

    void importCopiesOnlyNewPeople() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFile(home.Contacts() + QStringLiteral("/all.vcf"),
                  Cards + "BEGIN:VCARD\nVERSION:3.0\nFN:anna bianchi\nTEL;TYPE=HOME:1\nEND:VCARD\n"
                          "BEGIN:VCARD\nVERSION:3.0\nFN:Existing\nEND:VCARD\n");
        TestEnvironment::ExecOnFile(
            env.ArchiveFile(QStringLiteral("QMcon26.db")),
            QStringLiteral("INSERT INTO QMcon26 (ragsoc,indirizzo,tel,email,note,fax,gruppo,"
                           "site,company,mobile,allegato) VALUES "
                           "('EXISTING','','','','','','','','','','')"));
        form->Edit_ragsoc->setText(QStringLiteral("something"));
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        form->ImportadallarubricadiOutlookExpress1Click();
        const auto shown = MessageBoxSeam::Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).text, QStringLiteral("Import contacts from Windows address book?"));
        QCOMPARE(shown.at(1).text, QStringLiteral("I have imported 3 new contacts."));
        QCOMPARE(shown.at(1).flags, Mb::Ok | Mb::IconInformation);
        QVERIFY(form->Edit_ragsoc->text().isEmpty());

        const auto rows = TestEnvironment::RowsOfFile(
            env.ArchiveFile(QStringLiteral("QMcon26.db")),
            QStringLiteral("SELECT ragsoc,indirizzo,tel,fax,email,note,gruppo,site,company,mobile,allegato "
                           "FROM QMcon26 ORDER BY codcon"));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows.at(1),
                 QStringList({QStringLiteral("Mario Rossi"),
                              QStringLiteral("Via Roma 1, 20100, Milano, MI, Italia"),
                              QStringLiteral("02 1234 (home) 02 9999 (business)"),
                              QStringLiteral(" 02 8888 (business)"), QStringLiteral("mario@example.org"),
                              QStringLiteral("Caffè al bar\r\ndomani"), QString(), QString(), QString(),
                              QStringLiteral("333 444"), QString()}));
        QCOMPARE(rows.at(2).at(0), QStringLiteral("Anna Bianchi"));
        QCOMPARE(rows.at(2).at(2), QStringLiteral(" 06 5555 (business)"));
        QCOMPARE(rows.at(2).at(8), QStringLiteral("Bianchi, Sons"));
        QCOMPARE(rows.at(3).at(0), QStringLiteral("Dr. Luca Verdi"));

        // Everyone is there now: a second import adds nobody; No asks and does nothing.
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        form->ImportadallarubricadiOutlookExpress1Click();
        QCOMPARE(MessageBoxSeam::Shown().at(1).text, QStringLiteral("I have imported 0 new contacts."));
        MessageBoxSeam::Reset();
        MessageBoxSeam::QueueAnswer(Id::No);
        form->ImportadallarubricadiOutlookExpress1Click();
        QCOMPARE(MessageBoxSeam::Shown().size(), 1);
    }

    void hostileNameStaysText() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFile(home.Contacts() + QStringLiteral("/x.vcf"),
                  "BEGIN:VCARD\nVERSION:3.0\nFN:O'Brien\"); DROP TABLE QMcon26; --\nEND:VCARD\n");
        MessageBoxSeam::QueueAnswer(Id::Yes);
        MessageBoxSeam::QueueAnswer(Id::Ok);
        form->ImportadallarubricadiOutlookExpress1Click();
        const auto rows = TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                                      QStringLiteral("SELECT ragsoc FROM QMcon26"));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).at(0), QStringLiteral("O'Brien\"); DROP TABLE QMcon26; --"));
    }
};

QTEST_MAIN(TestAddressBook)
#include "tst_addressbook.moc"
