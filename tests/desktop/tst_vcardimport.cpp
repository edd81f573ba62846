#include "app/MainForm.h"
#include "exchange/VCardExport.h"
#include "platform/Dialogs.h"
#include "platform/MessageBox.h"
#include "platform/widgets/PageControl.h"
#include "support/FileBytes.h"
#include "support/FullDisk.h"
#include "support/TestEnvironment.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace qm;

namespace {

// Files as the programs that write them lay them out, byte for byte.

// Android 2.1 export: a UTF-8 byte-order mark right before the first card, quoted-printable
// UTF-8 names, a card of a bare e-mail address and one of a bare number.
const QByteArray Android = "\xEF\xBB\xBF"
                           "BEGIN:VCARD\r\n"
                           "VERSION:2.1\r\n"
                           "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C3=96zt=C3=BCrk;Ay=C5=9Fe;;;\r\n"
                           "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Ay=C5=9Fe =C3=96zt=C3=BCrk\r\n"
                           "TEL;CELL:+90 532 000 0000\r\n"
                           "TEL;HOME:0212 000 0000\r\n"
                           "EMAIL;HOME:ayse@example.com\r\n"
                           "END:VCARD\r\n"
                           "BEGIN:VCARD\r\n"
                           "VERSION:2.1\r\n"
                           "TEL;CELL:+39 333 1111111\r\n"
                           "EMAIL;HOME:nameless@example.net\r\n"
                           "END:VCARD\r\n"
                           "BEGIN:VCARD\r\n"
                           "VERSION:2.1\r\n"
                           "N:;;;;\r\n"
                           "TEL;CELL:+39 333 2222222\r\n"
                           "END:VCARD\r\n";

// iPhone 3.0: item groups with Apple's labels, a main number, two addresses, a photo; and a
// company card from the macOS address book with no name of a person.
const QByteArray IPhone =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Apple Inc.//iPhone OS 17.4//EN\r\n"
    "N:Appleseed;Johnny;;;\r\n"
    "FN:Johnny Appleseed\r\n"
    "ORG:Apple Inc.;\r\n"
    "item1.EMAIL;type=INTERNET;type=pref:johnny@example.com\r\n"
    "item1.X-ABLabel:_$!<Other>!$_\r\n"
    "TEL;type=MAIN:+1 408 555 0104\r\n"
    "TEL;type=CELL;type=VOICE;type=pref:+1 408 555 0101\r\n"
    "item2.TEL:+1 408 555 0102\r\n"
    "item2.X-ABLabel:_$!<HomeFAX>!$_\r\n"
    "item3.TEL:+1 408 555 0103\r\n"
    "item3.X-ABLabel:_$!<Work>!$_\r\n"
    "item4.ADR;type=HOME;type=pref:;;1 Infinite Loop;Cupertino;CA;95014;United States\r\n"
    "item4.X-ABADR:us\r\n"
    "item5.ADR:;;2 Other Street;Somewhere;;;\r\n"
    "item5.X-ABLabel:_$!<Other>!$_\r\n"
    "item6.URL;type=pref:http://johnny.example.com\r\n"
    "item6.X-ABLabel:_$!<HomePage>!$_\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQN\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "PRODID:-//Apple Inc.//Mac OS X 10.15.7//EN\r\n"
    "N:;;;;\r\n"
    "ORG:Acme S.p.A.;\r\n"
    "item1.TEL:+39 02 000\r\n"
    "item1.X-ABLabel:_$!<Work>!$_\r\n"
    "X-ABShowAs:COMPANY\r\n"
    "END:VCARD\r\n";

// Gmail 3.0: an untyped number and address written before the typed ones.
const QByteArray Gmail = "BEGIN:VCARD\n"
                         "VERSION:3.0\n"
                         "FN:Giulia Neri\n"
                         "N:Neri;Giulia;;;\n"
                         "EMAIL;TYPE=INTERNET;TYPE=HOME:giulia@gmail.com\n"
                         "TEL;TYPE=CELL:+39 347 0000000\n"
                         "TEL:02 7000 0000\n"
                         "TEL;TYPE=HOME:02 8000 0000\n"
                         "ADR:;;Via Verdi 3;Torino;TO;10100;Italia\n"
                         "ADR;TYPE=HOME:;;Via Roma 1;;;;\n"
                         "item1.ORG:Neri Srl\n"
                         "item1.X-ABLabel:\n"
                         "NOTE:Nota\\, con virgola\n"
                         "CATEGORIES:myContacts\n"
                         "END:VCARD\n";

// Outlook 2.1: Windows-1252 and Windows-1251 text named by CHARSET, quoted-printable with soft
// line breaks, a work and a home address.
const QByteArray Outlook =
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;LANGUAGE=de;CHARSET=Windows-1252:M\xFC"
    "ller;Andr\xE9\r\n"
    "FN;CHARSET=Windows-1252:Andr\xE9 M\xFC"
    "ller\r\n"
    "ORG;CHARSET=Windows-1252:B\xE4"
    "ckerei M\xFC"
    "ller\r\n"
    "TEL;WORK;VOICE:+49 30 1234567\r\n"
    "TEL;HOME;VOICE:+49 30 7654321\r\n"
    "TEL;CELL;VOICE:+49 170 1234567\r\n"
    "TEL;WORK;FAX:+49 30 1234568\r\n"
    "ADR;WORK;PREF:;;Hauptstra\xDF"
    "e 5;Berlin;;10115;Deutschland\r\n"
    "ADR;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=Windows-1252:;;Gartenweg 2=0D=0AHinterhaus;K=F6=\r\n"
    "ln;NRW;50667;Deutschland\r\n"
    "LABEL;HOME;ENCODING=QUOTED-PRINTABLE;CHARSET=Windows-1252:Gartenweg 2=0D=0AK=F6ln\r\n"
    "EMAIL;PREF;INTERNET:andre@example.de\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=Windows-1252:Kunde seit 2019 =80 100=\r\n"
    "=0D=0AZweite Zeile\r\n"
    "REV:20240101T120000Z\r\n"
    "END:VCARD\r\n"
    "BEGIN:VCARD\r\n"
    "VERSION:2.1\r\n"
    "N;CHARSET=Windows-1251:\xCF\xE5\xF2\xF0\xEE\xE2;\xC8\xE2\xE0\xED\r\n"
    "FN;CHARSET=Windows-1251:\xC8\xE2\xE0\xED \xCF\xE5\xF2\xF0\xEE\xE2\r\n"
    "TEL;HOME;VOICE:+7 495 000 00 00\r\n"
    "END:VCARD\r\n";

// An old Windows export: 8-bit Windows-1252 without any CHARSET, a curly apostrophe (0x92) among
// the bytes that Latin-1 would take for control characters.
const QByteArray OldExport = "BEGIN:VCARD\r\n"
                             "VERSION:2.1\r\n"
                             "N:Dupr\xE9;Fran\xE7"
                             "ois\r\n"
                             "FN:Fran\xE7"
                             "ois Dupr\xE9\r\n"
                             "TEL;HOME:03 81 00 00 00\r\n"
                             "TEL;VOICE:03 81 11 11 11\r\n"
                             "ADR;HOME:;;12 rue de l\x92\xC9glise;Besan\xE7on;;25000;France\r\n"
                             "NOTE;ENCODING=QUOTED-PRINTABLE:Cr=E8me br=FBl=E9e\r\n"
                             "END:VCARD\r\n";

// A phone backup: base64 values of vCard 3.0 ("b") and of 2.1 ("BASE64", folded, ended by an
// empty line), UTF-8 and Latin-1, next to a photo.
const QByteArray PhoneBackup = "BEGIN:VCARD\r\n"
                               "VERSION:3.0\r\n"
                               "N;ENCODING=b;CHARSET=UTF-8:RXNwb3NpdG87Q2lybzs7Ow==\r\n"
                               "FN;ENCODING=b;CHARSET=UTF-8:Q2lybyBFc3Bvc2l0bw==\r\n"
                               "TEL;TYPE=CELL:+39 081 000\r\n"
                               "NOTE;ENCODING=b:UGl6emVyaWEgwqtEYSBDaXJvwrssIE5hcG9saQ==\r\n"
                               "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBD\r\n"
                               "END:VCARD\r\n"
                               "BEGIN:VCARD\r\n"
                               "VERSION:2.1\r\n"
                               "N;ENCODING=BASE64;CHARSET=ISO-8859-1:TGVtYe50cmU7SOls6G5l\r\n"
                               "FN;ENCODING=BASE64;CHARSET=ISO-8859-1:\r\n"
                               "    SOls6G5lIExl\r\n"
                               "    bWHudHJl\r\n"
                               "\r\n"
                               "TEL;WORK:+33 1 00 00 00 00\r\n"
                               "END:VCARD\r\n";

// Evolution keeps one file per card in its book's folder: every part of the address is filled.
const QByteArray Evolution =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "UID:pas-id-5F1A2B3C00000001\r\n"
    "FN:Luca Bruno\r\n"
    "N:Bruno;Luca;;;\r\n"
    "X-EVOLUTION-FILE-AS:Bruno\\, Luca\r\n"
    "EMAIL;X-EVOLUTION-UI-SLOT=1;TYPE=WORK:luca@work.example\r\n"
    "TEL;X-EVOLUTION-UI-SLOT=1;TYPE=WORK,VOICE:011 111\r\n"
    "TEL;X-EVOLUTION-UI-SLOT=2;TYPE=HOME,VOICE:011 222\r\n"
    "TEL;X-EVOLUTION-UI-SLOT=3;TYPE=CELL:349 333\r\n"
    "ADR;TYPE=HOME:Casella Postale 7;Scala B;Corso Francia 10;Torino;TO;10138;Italia\r\n"
    "LABEL;TYPE=HOME:Corso Francia 10\\nScala B\\n10138 Torino\r\n"
    "END:VCARD\r\n";

// Thunderbird 4.0, synchronised one file per card: lower-case types, a quoted type list, VALUE
// parameters, an untyped number before the typed home number, a work address only.
const QByteArray Thunderbird = "BEGIN:VCARD\r\n"
                               "VERSION:4.0\r\n"
                               "PRODID:-//Thunderbird//EN\r\n"
                               "N:Ricci;Sara;;;\r\n"
                               "FN:Sara Ricci\r\n"
                               "EMAIL;PREF=1:sara@example.it\r\n"
                               "TEL;TYPE=work;VALUE=TEXT:06 111\r\n"
                               "TEL;VALUE=TEXT:06 222\r\n"
                               "TEL;TYPE=\"home,voice\";VALUE=TEXT:06 333\r\n"
                               "ADR;TYPE=work:;;Via Nazionale 1;Roma;RM;00184;Italia\r\n"
                               "UID:5e1c2d3f-0000-4000-8000-000000000001\r\n"
                               "END:VCARD\r\n";
const QByteArray ThunderbirdNoteOnly = "BEGIN:VCARD\r\n"
                                       "VERSION:4.0\r\n"
                                       "NOTE:met at the fair\r\n"
                                       "END:VCARD\r\n";

// Windows "Unicode" exports: UTF-16 with its byte-order mark, either byte order. The CHARSET of
// the big-endian card names the code page of a program long gone; the text is UTF-16 already.
QByteArray Utf16(const QString& text, QStringConverter::Encoding encoding) {
    QStringEncoder encoder(encoding, QStringConverter::Flag::WriteBom);
    return encoder.encode(text);
}
const QString GreekCard = QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Νίκος Παπαδόπουλος\r\n"
                                         "N:Παπαδόπουλος;Νίκος;;;\r\nTEL;TYPE=HOME:+30 210 0000000\r\n"
                                         "END:VCARD\r\n");
const QString JapaneseCard = QStringLiteral("BEGIN:VCARD\r\nVERSION:2.1\r\nN:山田;太郎\r\nFN:山田太郎\r\n"
                                            "ORG;CHARSET=SHIFT_JIS:山田商事\r\nTEL;WORK:03 0000 0000\r\n"
                                            "END:VCARD\r\n");

void WriteFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The user's data folder of the test.
class DataHome {
public:
    DataHome() {
        m_old = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dir.path().toLocal8Bit());
    }
    ~DataHome() { qputenv("XDG_DATA_HOME", m_old); }
    QString Contacts(const QString& name) const { return m_dir.path() + QStringLiteral("/contacts/") + name; }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// Stored contacts by name: address, tel, fax, email, note, site, company, mobile.
QHash<QString, QStringList> StoredContacts(const TestEnvironment& env) {
    QHash<QString, QStringList> contacts;
    for (const QStringList& row : TestEnvironment::RowsOfFile(
             env.ArchiveFile(QStringLiteral("QMcon26.db")),
             QStringLiteral("SELECT ragsoc,indirizzo,tel,fax,email,note,site,company,mobile FROM QMcon26")))
        contacts.insert(row.at(0), row.mid(1));
    return contacts;
}

// The import as a user starts it: the Contacts tab's import button, then the menu item.
void ImportThroughTheMenu(TMainForm* form) {
    form->show();
    form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
    QTest::mouseClick(form->SpeedButtonQOC, Qt::LeftButton);
    QMenu* menu = form->PopupMenuImportaContatti;
    QVERIFY(menu->isVisible());
    MessageBoxSeam::QueueAnswer(Id::Yes);
    MessageBoxSeam::QueueAnswer(Id::Ok);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(form->ImportadaRubricaWindows).center());
}

// Every column the organizer's vCards carry, by name.
QList<QStringList> ContactRows(const TestEnvironment& env) {
    return TestEnvironment::RowsOfFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                       QStringLiteral("SELECT ragsoc,company,indirizzo,tel,mobile,fax,email,"
                                                      "site,gruppo,note FROM QMcon26 ORDER BY ragsoc"));
}

void InsertContact(const TestEnvironment& env, const QStringList& c) {
    QStringList quoted;
    for (QString text : c)
        quoted.append(u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'');
    TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                QStringLiteral("INSERT INTO QMcon26 (ragsoc,company,indirizzo,tel,mobile,fax,"
                                               "email,site,gruppo,note,allegato) VALUES (%1,'')")
                                    .arg(quoted.join(u',')));
}

// The Contacts tab's export as a user runs it: its button, then the vCard type in the save dialog.
void ExportThroughTheButton(TMainForm* form, const QString& file) {
    form->show();
    form->PageControlMenu->setCurrentWidget(form->TabSheetCONTACTS);
    DialogSeam::QueueFileOfType(file, 3);
    QTest::mouseClick(form->SpeedButtonCSV, Qt::LeftButton);
}

} // namespace

class TestVCardImport : public QObject {
    Q_OBJECT

private slots:
    void cardsOfPhonesAndMailProgramsAreImported() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFile(home.Contacts(QStringLiteral("android.vcf")), Android);
        WriteFile(home.Contacts(QStringLiteral("iphone.vcf")), IPhone);
        WriteFile(home.Contacts(QStringLiteral("gmail.vcf")), Gmail);
        WriteFile(home.Contacts(QStringLiteral("outlook.vcf")), Outlook);
        WriteFile(home.Contacts(QStringLiteral("old-export.vcf")), OldExport);
        WriteFile(home.Contacts(QStringLiteral("phone-backup.vcf")), PhoneBackup);
        const QByteArray little = Utf16(GreekCard, QStringConverter::Utf16LE);
        const QByteArray big = Utf16(JapaneseCard, QStringConverter::Utf16BE);
        QVERIFY(little.startsWith(QByteArray("\xFF\xFE"
                                             "B\0E\0",
                                             6)));
        QVERIFY(big.startsWith(QByteArray("\xFE\xFF\0B\0E", 6)));
        WriteFile(home.Contacts(QStringLiteral("unicode-le.vcf")), little);
        WriteFile(home.Contacts(QStringLiteral("unicode-be.vcf")), big);
        WriteFile(home.Contacts(QStringLiteral("personal/pas-id-5F1A2B3C00000001.vcf")), Evolution);
        WriteFile(home.Contacts(QStringLiteral("thunderbird/5e1c2d3f.vcf")), Thunderbird);
        WriteFile(home.Contacts(QStringLiteral("thunderbird/7a0b.vcf")), ThunderbirdNoteOnly);

        ImportThroughTheMenu(form);
        const auto shown = MessageBoxSeam::Shown();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(1).text,
                 QStringLiteral("I have imported 14 new contacts.\n\n2 cards of the address "
                                "book were skipped: they are cut short or have no name, "
                                "organisation or e-mail address."));
        QCOMPARE(MessageBoxSeam::Shown().at(1).flags, Mb::Ok | Mb::IconInformation);

        const auto c = StoredContacts(env);
        QCOMPARE(c.size(), 14);
        // address, tel, fax, email, note, site, company, mobile
        QCOMPARE(c.value(QStringLiteral("Ayşe Öztürk")),
                 QStringList(
                     {"", "0212 000 0000 (home)", "", "ayse@example.com", "", "", "", "+90 532 000 0000"}));
        QCOMPARE(c.value(QStringLiteral("nameless@example.net")),
                 QStringList({"", "", "", "nameless@example.net", "", "", "", "+39 333 1111111"}));
        QCOMPARE(c.value(QStringLiteral("Johnny Appleseed")),
                 QStringList({"1 Infinite Loop, 95014, Cupertino, CA, United States",
                              "+1 408 555 0104 (home) +1 408 555 0103 (business)", "+1 408 555 0102 (home)",
                              "johnny@example.com", "", "http://johnny.example.com", "Apple Inc.",
                              "+1 408 555 0101"}));
        QCOMPARE(c.value(QStringLiteral("Acme S.p.A.")),
                 QStringList({"", " +39 02 000 (business)", "", "", "", "", "Acme S.p.A.", ""}));
        QCOMPARE(c.value(QStringLiteral("Giulia Neri")),
                 QStringList({"Via Roma 1", "02 8000 0000 (home)", "", "giulia@gmail.com",
                              "Nota, con virgola", "", "Neri Srl", "+39 347 0000000"}));
        // Another address book's categories are no group of the user's.
        QCOMPARE(ContactRows(env).at(0).size(), 10);
        for (const QStringList& row : ContactRows(env))
            QCOMPARE(row.at(8), QString());
        QCOMPARE(c.value(QStringLiteral("André Müller")),
                 QStringList({"Gartenweg 2, Hinterhaus, 50667, Köln, NRW, Deutschland",
                              "+49 30 7654321 (home) +49 30 1234567 (business)", " +49 30 1234568 (business)",
                              "andre@example.de", "Kunde seit 2019 € 100\r\nZweite Zeile", "",
                              "Bäckerei Müller", "+49 170 1234567"}));
        QCOMPARE(c.value(QStringLiteral("Иван Петров")).at(1), QStringLiteral("+7 495 000 00 00 (home)"));
        QCOMPARE(c.value(QStringLiteral("François Dupré")),
                 QStringList({"12 rue de l’Église, 25000, Besançon, France", "03 81 00 00 00 (home)", "", "",
                              "Crème brûlée", "", "", ""}));
        QCOMPARE(c.value(QStringLiteral("Ciro Esposito")),
                 QStringList({"", "", "", "", "Pizzeria «Da Ciro», Napoli", "", "", "+39 081 000"}));
        QCOMPARE(c.value(QStringLiteral("Hélène Lemaître")).at(1),
                 QStringLiteral(" +33 1 00 00 00 00 (business)"));
        QCOMPARE(c.value(QStringLiteral("Νίκος Παπαδόπουλος")).at(1),
                 QStringLiteral("+30 210 0000000 (home)"));
        QCOMPARE(c.value(QStringLiteral("山田太郎")).at(6), QStringLiteral("山田商事"));
        QCOMPARE(c.value(QStringLiteral("Luca Bruno")),
                 QStringList({"Corso Francia 10, Scala B, Casella Postale 7, 10138, Torino, TO, Italia",
                              "011 222 (home) 011 111 (business)", "", "luca@work.example", "", "", "",
                              "349 333"}));
        QCOMPARE(c.value(QStringLiteral("Sara Ricci")),
                 QStringList({"", "06 333 (home) 06 111 (business)", "", "sara@example.it", "", "", "", ""}));
    }

    void skippedCardsAreCountedInOneMessage() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        WriteFile(home.Contacts(QStringLiteral("one.vcf")),
                  "BEGIN:VCARD\r\nVERSION:2.1\r\nTEL;CELL:1\r\nEND:VCARD\r\n"
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Solo\r\nEND:VCARD\r\n");
        ImportThroughTheMenu(form);
        QCOMPARE(
            MessageBoxSeam::Shown().at(1).text,
            QStringLiteral("I have imported 1 new contacts.\n\n1 card of the address book was skipped: it is "
                           "cut short or has no name, organisation or e-mail address."));
        MessageBoxSeam::Reset();
        QFile::remove(home.Contacts(QStringLiteral("one.vcf")));
        WriteFile(home.Contacts(QStringLiteral("two.vcf")),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Duo\r\nEND:VCARD\r\n");
        ImportThroughTheMenu(form);
        QCOMPARE(MessageBoxSeam::Shown().at(1).text, QStringLiteral("I have imported 1 new contacts."));
    }

    void onlyWholeCardsAreImported() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QByteArray ann = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann Whole\r\nTEL:01\r\nEND:VCARD\r\n";
        const QByteArray bob = "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Bob Whole\r\nTEL;WORK:02\r\nEND:VCARD\r\n";
        const QByteArray half = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Half Card\r\nTEL:06 1234567\r\n"
                                "EMAIL:half@example.org\r\nEND:VCARD\r\n";
        const QString book = home.Contacts(QStringLiteral("book.vcf"));
        const auto importAndExpect = [&](const QByteArray& file, const QString& notice) {
            WriteFile(book, file);
            MessageBoxSeam::Reset();
            ImportThroughTheMenu(form);
            QCOMPARE(MessageBoxSeam::Shown().size(), 2);
            QCOMPARE(MessageBoxSeam::Shown().at(1).text, notice);
        };
        const QString cutNotice =
            QStringLiteral("\n\n1 card of the address book was skipped: it is cut short "
                           "or has no name, organisation or e-mail address.");

        // The file ends in the number, before END:VCARD.
        importAndExpect(half.left(half.indexOf(" 1234567")),
                        QStringLiteral("I have imported 0 new contacts.") + cutNotice);
        QVERIFY(StoredContacts(env).isEmpty());
        // The last card is cut inside its END line; the cards before it arrive.
        importAndExpect(ann + bob + half.chopped(6),
                        QStringLiteral("I have imported 2 new contacts.") + cutNotice);
        // The whole file brings the card with everything it holds.
        importAndExpect(ann + bob + half, QStringLiteral("I have imported 1 new contacts."));
        const auto c = StoredContacts(env);
        QCOMPARE(c.size(), 3);
        // address, tel, fax, email, note, site, company, mobile
        QCOMPARE(c.value(QStringLiteral("Half Card")),
                 QStringList({"", "06 1234567 (home)", "", "half@example.org", "", "", "", ""}));
        QCOMPARE(c.value(QStringLiteral("Ann Whole")).at(1), QStringLiteral("01 (home)"));
        QCOMPARE(c.value(QStringLiteral("Bob Whole")).at(1), QStringLiteral(" 02 (business)"));
    }

    // Among values of one kind the lowest PREF wins, a bare PREF ranks as 1, no PREF ranks last;
    // a value typed for the slot beats an untyped one; the first one given breaks ties.
    void prefRanksValuesOfOneKind() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const struct {
            QByteArray lines;
            QStringList expected; // name, email, tel, address
        } cards[] = {
            {"VERSION:4.0\r\nFN:Four Numbers\r\n"
             "EMAIL;TYPE=home;PREF=2:ann@home.example\r\nEMAIL;TYPE=work;PREF=1:ann@work.example\r\n"
             "TEL;PREF=1:00 untyped\r\nTEL;TYPE=home;PREF=10:10\r\nTEL;TYPE=home;PREF=9:09\r\n"
             "ADR;TYPE=home;PREF=3:;;Via Tre;Roma;;;\r\nADR;TYPE=home;PREF=2:;;Via Due;Roma;;;\r\n",
             {"Four Numbers", "ann@work.example", "09 (home)", "Via Due, Roma"}},
            {"VERSION:4.0\r\nFN:Four Mixed\r\n"
             "EMAIL;PREF=1:one@example.org\r\nEMAIL;TYPE=pref:bare@example.org\r\n"
             "TEL;TYPE=home;PREF=2:02 two\r\nTEL;TYPE=home;TYPE=pref:01 bare\r\n"
             "ADR;TYPE=home:;;Via Nessuna;;;;\r\nADR;TYPE=home;PREF=250:;;Via Lontana;;;;\r\n",
             {"Four Mixed", "one@example.org", "01 bare (home)", "Via Lontana"}},
            {"VERSION:3.0\r\nFN:Three Bare\r\n"
             "EMAIL;TYPE=INTERNET:plain@example.org\r\nEMAIL;TYPE=INTERNET;TYPE=pref:pref@example.org\r\n"
             "TEL;TYPE=HOME:1 plain\r\nTEL;TYPE=HOME,PREF:2 pref\r\n"
             "ADR;TYPE=HOME:;;Via Piana;;;;\r\nADR;TYPE=HOME,PREF:;;Via Scelta;;;;\r\n",
             {"Three Bare", "pref@example.org", "2 pref (home)", "Via Scelta"}},
            {"VERSION:2.1\r\nFN:Two Bare\r\n"
             "EMAIL;INTERNET:plain@example.org\r\nEMAIL;PREF;INTERNET:pref@example.org\r\n"
             "TEL;HOME:1 plain\r\nTEL;PREF;HOME:2 pref\r\nTEL;HOME;PREF:3 pref later\r\n"
             "ADR;HOME:;;Via Piana;;;;\r\nADR;HOME;PREF:;;Via Scelta;;;;\r\n",
             {"Two Bare", "pref@example.org", "2 pref (home)", "Via Scelta"}},
        };
        QByteArray file;
        for (const auto& card : cards)
            file += "BEGIN:VCARD\r\n" + card.lines + "END:VCARD\r\n";
        WriteFile(home.Contacts(QStringLiteral("ranks.vcf")), file);
        ImportThroughTheMenu(form);
        const auto stored = StoredContacts(env);
        for (const auto& card : cards) {
            const QStringList row = stored.value(card.expected.at(0));
            QCOMPARE(QStringList({card.expected.at(0), row.value(3), row.value(1), row.value(0)}),
                     card.expected);
        }
    }

    void longNamesAreFoundAgainAtTheNextImport() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString mail =
            QStringLiteral("bartholomew.featherstonehaugh.longname@accountsdepartment.example.org");
        const QString name = QStringLiteral("Bartholomew Featherstonehaugh-Wolfeschlegelsteinhausen Jr.");
        WriteFile(home.Contacts(QStringLiteral("long.vcf")),
                  "BEGIN:VCARD\r\nVERSION:3.0\r\nEMAIL:" + mail.toLatin1() +
                      "\r\nEND:VCARD\r\n"
                      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" +
                      name.toLatin1() + "\r\nTEL:1\r\nEND:VCARD\r\n");
        ImportThroughTheMenu(form);
        QCOMPARE(MessageBoxSeam::Shown().at(1).text, QStringLiteral("I have imported 2 new contacts."));
        MessageBoxSeam::Reset();
        ImportThroughTheMenu(form);
        QCOMPARE(MessageBoxSeam::Shown().at(1).text, QStringLiteral("I have imported 0 new contacts."));
        const auto c = StoredContacts(env);
        QCOMPARE(c.size(), 2);
        QCOMPARE(c.value(mail).at(3), mail);
        QCOMPARE(c.value(name).at(1), QStringLiteral("1 (home)"));
    }

    // The organizer's own export, read back by its own import, gives the same contacts; what an
    // address book reads is standard vCard 3.0.
    void exportedContactsAreImportedAgainAsTheyWere() {
        DataHome home;
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        const QString longNote = QString(40, QChar(0x5C71)) + QStringLiteral(" é") + QString(30, u'x');
        const QList<QStringList> contacts = {
            {"Zoë Ångström", "Müller; Söhne, GmbH", "Via Roma 1, 00100 Roma", "555 1234, ext. 2", "+39 333 1",
             " 02 (business)", "zoe@example.org", "https://example.org/a,b;c", "Friends, close",
             "one; two, three \\ four\nsecond line"},
            {"山田太郎 Yamada Tarō", "山田商事", "", "03 0000 0000 (home)", "", "", "", "", "Work", longNote},
            {"Solo", "", "", "", "", "", "", "", "", ""},
        };
        for (const QStringList& c : contacts)
            InsertContact(env, c);
        const QList<QStringList> before = ContactRows(env);
        QCOMPARE(before.size(), 3);
        QVERIFY(before.at(1).at(9).contains(u'\n'));
        form->RefreshContactQuery();

        // The rows the list shows, its group applied.
        form->ComboBox_Contact_Group->setCurrentText(QStringLiteral("Work"));
        form->RefreshContactQuery();
        const QString some = env.ProgramFolder() + QStringLiteral("work.vcf");
        ExportThroughTheButton(form, some);
        QVERIFY(DialogSeam::Shown().last().filter.endsWith(QStringLiteral("|vCard files (*.vcf)|*.vcf")));
        QCOMPARE(form->SaveDialogCSV.DefaultExt, QStringLiteral("vcf"));
        QByteArray bytes = ReadFileBytes(some);
        QCOMPARE(bytes.count("BEGIN:VCARD\r\n"), 1);
        QVERIFY(bytes.contains("\r\nCATEGORIES:Work\r\n"));

        // Every contact, whatever the list shows, for the command line.
        const QString all = home.Contacts(QStringLiteral("all.vcf"));
        QVERIFY(QDir().mkpath(QFileInfo(all).path()));
        QString error;
        int count = 0;
        QVERIFY2(ExportContactsToVCardFile(all, &error, &count), qPrintable(error));
        QCOMPARE(count, 3);
        bytes = ReadFileBytes(all);
        QCOMPARE(bytes.count("BEGIN:VCARD\r\nVERSION:3.0\r\n"), 3);
        QVERIFY(bytes.contains("\r\nORG:Müller\\; Söhne\\, GmbH\r\n"));
        QVERIFY(bytes.contains("\r\nNOTE:one\\; two\\, three \\\\ four\\nsecond line\r\n"));
        QVERIFY(bytes.contains("\r\nTEL;TYPE=cell:+39 333 1\r\n"));
        QVERIFY(!bytes.contains("\r\nADR:;;;;;;\r\n"));
        // Folded at 75 octets, never inside a character; every line ends in CR LF.
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        bool folded = false;
        for (const QByteArray& line : bytes.chopped(2).split('\n')) {
            const QByteArray octets = line.chopped(1);
            QVERIFY2(octets.size() <= 75, octets.constData());
            if (octets.startsWith(' ')) {
                folded = true;
                QVERIFY2(octets.size() > 1 && (uchar(octets.at(1)) & 0xC0) != 0x80, octets.constData());
            }
        }
        QVERIFY(folded);

        // An address book program reads the cards.
        QProcess python;
        python.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, vobject\n"
                                     "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8')):\n"
                                     "    print(c.fn.value + '|' + (c.note.value.replace(chr(10), '~') if "
                                     "hasattr(c, 'note') else ''))\n"),
                      all});
        QVERIFY(python.waitForFinished(30000));
        QCOMPARE(python.exitCode(), 0);
        QStringList read = QString::fromUtf8(python.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(read.size(), 3);
        QCOMPARE(read.at(0), QStringLiteral("Solo|"));
        QCOMPARE(read.at(1), before.at(1).at(0) + u'|' + QString(before.at(1).at(9)).replace(u'\n', u'~'));
        QCOMPARE(read.at(2), before.at(2).at(0) + u'|' + longNote);

        // Into an archive without them, through the address book import.
        TestEnvironment::ExecOnFile(env.ArchiveFile(QStringLiteral("QMcon26.db")),
                                    QStringLiteral("DELETE FROM QMcon26"));
        form->ComboBox_Contact_Group->setCurrentText(QString());
        ImportThroughTheMenu(form);
        QCOMPARE(MessageBoxSeam::Shown().at(1).text, QStringLiteral("I have imported 3 new contacts."));
        QCOMPARE(ContactRows(env), before);
    }

    void aFailedExportSaysSoInOneBox() {
        TestEnvironment env;
        TMainForm* form = env.CreateMainForm();
        InsertContact(env, {"Ann", "", "", "1", "", "", "", "", "", ""});
        form->RefreshContactQuery();
        FullDisk disk(env.ProgramFolder() + QStringLiteral("full"));
        QM_REQUIRE_FULL_DISK(disk);
        const QString file = disk.Folder() + QStringLiteral("/ann.vcf");
        WriteFile(file, "old");
        disk.Fill();
        ExportThroughTheButton(form, file);
        const auto shown = MessageBoxSeam::Shown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.at(0).text.contains(file), qPrintable(shown.at(0).text));
        QCOMPARE(shown.at(0).flags, Mb::Ok | Mb::IconExclamation);
        QCOMPARE(ReadFileBytes(file), QByteArray("old"));
    }
};

QTEST_MAIN(TestVCardImport)
#include "tst_vcardimport.moc"
