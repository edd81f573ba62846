#include "notes/NoteFiles.h"
#include "platform/Charsets.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using namespace qm;

class TestNoteFiles : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QByteArray Bytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

private slots:
    void textTest() {
        QVERIFY(IsTextFile(Write("empty", QByteArray())));
        QVERIFY(IsTextFile(Write("controls", QByteArray("a\tb\r\nc\nd\x1a"))));
        QVERIFY(!IsTextFile(Write("nul", QByteArray("abc\0def", 7))));
        QVERIFY(!IsTextFile(Write("escape", QByteArray("abc\x1b"))));
        // A bad byte past the first block is found as well.
        QVERIFY(!IsTextFile(Write("late", QByteArray(5000, 'x') + QByteArray(1, '\x01'))));
        QVERIFY(!IsTextFile(m_dir.filePath("missing")));
        QVERIFY(!IsTextFile(m_dir.path()));
        const QString readOnly = Write("readonly", QByteArray("plain"));
        QFile::setPermissions(readOnly, QFile::ReadOwner);
        // An administrator opens it all the same; only where the open fails does the test hold.
        if (QFile probe(readOnly); !probe.open(QIODevice::ReadWrite))
            QVERIFY(!IsTextFile(readOnly));
        // A FIFO nobody writes, or a device, is no note, and is never waited on; the alarm fails a
        // test that would.
        const QString fifo = m_dir.filePath("pipe.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ::alarm(30);
        QVERIFY(!IsTextFile(fifo));
        QVERIFY(!IsTextFile("/dev/zero"));
        ::alarm(0);
    }

    void masks() {
        QVERIFY(MatchesFileMask("note.txt", "*.*"));
        // "*.*" alone is every file, names without a dot too; other patterns are taken literally.
        QVERIFY(MatchesFileMask("README", "*.*"));
        QVERIFY(!MatchesFileMask("README", "**.**"));
        QVERIFY(MatchesFileMask("a.b", "**.**"));
        QVERIFY(MatchesFileMask("README", "*"));
        QVERIFY(MatchesFileMask("Shopping.TXT", "*shop*"));
        QVERIFY(MatchesFileMask("a.htm", "*.txt;*.htm"));
        QVERIFY(MatchesFileMask("ab", "a?"));
        QVERIFY(!MatchesFileMask("abc", "a?"));
        // Regular-expression characters in a name are plain characters of the mask.
        QVERIFY(MatchesFileMask("a+b (1).txt", "a+b (1).txt"));
        QVERIFY(!MatchesFileMask("aab (1).txt", "a+b (1).txt"));

        QTemporaryDir dir;
        for (const char* name : {"b.txt", "A.txt", "c.log"}) {
            QFile file(dir.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dir.path()).mkdir("folder.txt"));
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe.txt")).constData(), 0600), 0);
        QCOMPARE(ListMatchingFiles(dir.path(), "*.txt"), QStringList({"A.txt", "b.txt"}));
    }

    // Reads a note in the charset, writes its text back unedited and gives the bytes written.
    QByteArray RoundTrip(const QString& path, int charset, QString* text = nullptr) {
        NoteText note = ReadNoteFile(path, NoteEncodingForCharset(charset));
        if (text)
            *text = note.text;
        WriteNoteFile(path, note.text, note.used);
        return Bytes(path);
    }

    void unchangedNotesKeepEveryByte_data() {
        QTest::addColumn<int>("charset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // One note in each code page of the charset menu, and the byte patterns that are easy to lose.
        QTest::newRow("ANSI, UTF-8") << 0
                                     << QByteArray("Gr\xc3\xbc\xc3\x9f"
                                                   "e\xc2\xa0!")
                                     << QString("Grüße\u00a0!");
        QTest::newRow("ANSI, BOM") << 0 << QByteArray("\xef\xbb\xbfone\r\ntwo") << QString("one\ntwo");
        QTest::newRow("DEFAULT, Latin-1 ending in an accent")
            << 1 << QByteArray("caf\xe9\xa0\r\n\rna\xefve \xe9") << QString("café\u00a0\n\nnaïve é");
        QTest::newRow("mixed line breaks") << 0 << QByteArray("one\ntwo\rthree\n\rfour\r\nfive\r\n\r")
                                           << QString("one\ntwo\nthree\nfour\nfive\n\n");
        QTest::newRow("SYMBOL") << 2 << QByteArray("A\xe0\xff\x80") << QString("A\u00e0\u00ff\u0080");
        QTest::newRow("MAC") << 77 << QByteArray("caf\x8e \xa5") << QString("café •");
        QTest::newRow("Korean (Wansung)") << 129 << QByteArray("\xc7\xd1\xb1\xb9") << QString("한국");
        QTest::newRow("Japanese shift-jis")
            << 128 << QByteArray("\x93\xfa\x96\x7b\x8c\xea") << QString("日本語");
        QTest::newRow("Chinese (Simplified)") << 134 << QByteArray("\xd6\xd0\xce\xc4") << QString("中文");
        QTest::newRow("Chinese (Traditional)") << 136 << QByteArray("\xa4\xa4\xa4\xe5") << QString("中文");
        // Johab: syllables from their jamo, a lone jamo, a hanja and a symbol through KS X 1001.
        QTest::newRow("Korean (Johab)")
            << 130 << QByteArray("\xd0\x65\x8b\x69 \x88\x41\xe0\x31\xd9\x68") << QString("한글 ㄱ伽※");
        QTest::newRow("Turkish") << 162 << QByteArray("\xd0\xdd\xfe") << QString("Ğİş");
        QTest::newRow("Greek") << 161 << QByteArray("\xc1\xe8\xde\xed\xe1") << QString("Αθήνα");
        QTest::newRow("Vietnamese") << 163 << QByteArray("\xf0\xf5\xfd") << QString("đơư");
        QTest::newRow("Arabic") << 178 << QByteArray("\xd3\xe1\xc7\xe3") << QString("سلام");
        QTest::newRow("Hebrew") << 177 << QByteArray("\xf9\xec\xe5\xed") << QString("שלום");
        QTest::newRow("Baltic") << 186 << QByteArray("\xe0\xe8\xeb") << QString("ąčė");
        QTest::newRow("Cyrillic") << 204 << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\nok")
                                  << QString("Привет\nok");
        QTest::newRow("EASTEUROPE") << 238
                                    << QByteArray("\xa3\xf3"
                                                  "d\x9f")
                                    << QString("Łódź");
        QTest::newRow("Thai") << 222 << QByteArray("\xe4\xb7\xc2") << QString("ไทย");
        QTest::newRow("OEM") << 255
                             << QByteArray("Gr\x94\xe1"
                                           "e \xc9\x1a")
                             << QString("Größe ╔\x1a");
        // Bytes a code page cannot read are shown as U+FFFD and kept.
        QTest::newRow("Greek, unreadable byte") << 161 << QByteArray("\xc1\xd2") << QString("Α\ufffd");
        QTest::newRow("shift-jis, cut short") << 128 << QByteArray("\x93\xfa\x93") << QString("日\ufffd");
        QTest::newRow("Johab, no such syllable")
            << 130 << QByteArray("a\x88\x42\xff") << QString("a\ufffdB\ufffd");
    }

    void unchangedNotesKeepEveryByte() {
        QFETCH(int, charset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        const QString path = Write("note", bytes);
        QString shown;
        QCOMPARE(RoundTrip(path, charset, &shown), bytes);
        QCOMPARE(shown, text);
    }

    void randomBytesSurviveEveryCodePage() {
        // Whatever the bytes, a note read and written back unedited is the file it was.
        QRandomGenerator random(8);
        for (const CharsetItem& item : kWindowsCharsets) {
            for (int round = 0; round < 20; ++round) {
                QByteArray bytes(int(random.bounded(1, 60)), Qt::Uninitialized);
                for (char& b : bytes)
                    b = char(random.bounded(256));
                const QString path = Write("random", bytes);
                const NoteText note = ReadNoteFile(path, NoteEncodingForCharset(item.code));
                if (EncodeNote(note.text, note.used, path) != bytes)
                    QFAIL(qPrintable(QString("%1: %2").arg(item.caption, QString(bytes.toHex(' ')))));
            }
        }
    }

    void editsChangeOnlyWhatWasEdited() {
        // Greek note with a byte 1253 cannot read, and line breaks of three kinds.
        const QByteArray bytes("\xc1\xd2\r\nx\ry\nz");
        const QString path = Write("greek", bytes);
        NoteText note = ReadNoteFile(path, NoteEncodingForCharset(161));
        QCOMPARE(note.text, QString("Α\ufffd\nx\ny\nz"));
        QString text = note.text;
        text.replace("x", "xβ");
        text.append("\nnew");
        WriteNoteFile(path, text, note.used);
        // New lines take the note's first form, CR LF.
        QCOMPARE(Bytes(path), QByteArray("\xc1\xd2\r\nx\xe2\ry\nz\r\nnew"));
        // A later save starts from the file as written: the first edit stays as it went out.
        text.replace("y", "Y");
        WriteNoteFile(path, text, note.used);
        QCOMPARE(Bytes(path), QByteArray("\xc1\xd2\r\nx\xe2\rY\nz\r\nnew"));
        QCOMPARE(ReadNoteFile(path, NoteEncodingForCharset(161)).text, text);

        // Two edits far apart in one save leave the lines between them, and their breaks, alone.
        const QString apart = Write("apart", QByteArray("a\r\nb\rc\n\rd\ne\r\nf"));
        note = ReadNoteFile(apart, NoteEncodingForCharset(0));
        WriteNoteFile(apart, "A\nb\nc\nd\ne\nnew\nf!", note.used);
        QCOMPARE(Bytes(apart), QByteArray("A\r\nb\rc\n\rd\ne\r\nnew\r\nf!"));

        // A note with LF breaks gets LF ones, and an edit never joins two breaks into one.
        const QString unix = Write("unix", QByteArray("a\nX\rb"));
        note = ReadNoteFile(unix, NoteEncodingForCharset(0));
        WriteNoteFile(unix, "a\n\nb", note.used);
        QCOMPARE(ReadNoteFile(unix, NoteEncodingForCharset(0)).text, QString("a\n\nb"));
        note = ReadNoteFile(unix, NoteEncodingForCharset(0));
        WriteNoteFile(unix, note.text + "\nc", note.used);
        QCOMPARE(ReadNoteFile(unix, NoteEncodingForCharset(0)).text, QString("a\n\nb\nc"));

        // The byte-order mark stays in front of whatever is typed.
        const QString bom = Write("bom", QByteArray("\xef\xbb\xbfold"));
        note = ReadNoteFile(bom, NoteEncodingForCharset(1));
        WriteNoteFile(bom, "new é", note.used);
        QCOMPARE(Bytes(bom), QByteArray("\xef\xbb\xbfnew \xc3\xa9"));
    }

    void randomEditsReadBack() {
        // Edits of every sort, in notes with mixed line breaks, read back as the text that was saved.
        QRandomGenerator random(81);
        const QString pieces[] = {"\n", "\r", "\r\n", "\n\r", "a", "Привет", " "};
        for (int round = 0; round < 200; ++round) {
            QString original;
            for (int i = 0; i < 12; ++i)
                original += pieces[random.bounded(7)];
            const QString path = Write("edits", EncodeText(original, CodePage::Windows1251).value());
            NoteText note = ReadNoteFile(path, NoteEncodingForCharset(204));
            QString text = note.text;
            for (int edits = int(random.bounded(1, 4)); edits > 0; --edits) {
                const int at = int(random.bounded(int(text.size()) + 1));
                text.remove(at, int(random.bounded(3)));
                text.insert(std::min(at, int(text.size())),
                            QString(pieces[random.bounded(7)]).replace('\r', '\n'));
            }
            Write("edits", EncodeNote(text, note.used, path));
            QCOMPARE(ReadNoteFile(path, NoteEncodingForCharset(204)).text, text);
        }
    }

    void newNotes() {
        NoteEncoding cyrillic = NoteEncodingForCharset(204);
        const QString path = m_dir.filePath("new");
        WriteNoteFile(path, "Привет\nмир\n", cyrillic);
        QCOMPARE(Bytes(path), QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2\r\n\xec\xe8\xf0\r\n"));
        NoteEncoding ansi = NoteEncodingForCharset(0);
        WriteNoteFile(path, "Grüße", ansi);
        QCOMPARE(Bytes(path), QByteArray("Gr\xc3\xbc\xc3\x9f"
                                         "e"));
        NoteEncoding johab = NoteEncodingForCharset(130);
        WriteNoteFile(path, "가ㄳㅏ", johab);
        QCOMPARE(Bytes(path), QByteArray("\x88\x61\x84\x44\x84\x61"));
    }

    void unencodableCharactersAreRefused() {
        struct Case {
            int charset;
            QByteArray bytes;
            QString added;
        };
        const Case cases[] = {{204, "\xcf\xf0\xe8\xe2\xe5\xf2", "ä"},
                              {1, "caf\xe9", "\U0001F600"},
                              {2, "abc", "€"},
                              {130, "\x88\x61", "\U0001F600"},
                              {128, "\x93\xfa", "Ӝ"}};
        for (const Case& c : cases) {
            const QString path = Write("refused", c.bytes);
            NoteText note = ReadNoteFile(path, NoteEncodingForCharset(c.charset));
            try {
                WriteNoteFile(path, note.text + c.added, note.used);
                QFAIL(qPrintable("written: " + c.added));
            } catch (const std::runtime_error& error) {
                const QString message = QString::fromStdString(error.what());
                QVERIFY2(message.contains(
                             c.added.right(c.added.size() > 1 && !c.added[1].isLowSurrogate() ? 1 : 2)),
                         qPrintable(message));
                QVERIFY2(message.contains(path), qPrintable(message));
            }
            QCOMPARE(Bytes(path), c.bytes);
        }
    }

    void failures() {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 ReadNoteFile(m_dir.filePath("missing"), NoteEncodingForCharset(0)));
        NoteEncoding encoding = NoteEncodingForCharset(0);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 WriteNoteFile(m_dir.filePath("no/such/folder/x"), "x", encoding));
    }

    void titles() {
        QCOMPARE(NotePathForTitle("/notes", "Shopping list"), QString("/notes/Shopping list"));
        QCOMPARE(NotePathForTitle("/notes", "a..b"), QString("/notes/a..b"));
        for (const QString& bad :
             {QString(), QString("  "), QString("."), QString(".."), QString("../escape"),
              QString("sub/note"), QString("tab\there"), QString("line\nbreak")})
            QVERIFY_THROWS_EXCEPTION(std::runtime_error, NotePathForTitle("/notes", bad));
    }
};

QTEST_GUILESS_MAIN(TestNoteFiles)
#include "tst_notefiles.moc"
