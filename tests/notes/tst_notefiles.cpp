#include "notes/NoteFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
        QCOMPARE(ListMatchingFiles(dir.path(), "*.txt"), QStringList({"A.txt", "b.txt"}));
    }

    void lineEndsAndRoundTrip() {
        const QString path = Write("ends", QByteArray("one\ntwo\rthree\n\rfour\r\nfive"));
        const NoteText note = ReadNoteFile(path, QStringConverter::Utf8);
        QCOMPARE(note.text, QString("one\ntwo\nthree\nfour\nfive"));
        WriteNoteFile(path, note.text, note.used);
        QCOMPARE(Bytes(path), QByteArray("one\r\ntwo\r\nthree\r\nfour\r\nfive"));

        // A final line break stays one, shown as an empty last line.
        const QString trailing = Write("trailing", QByteArray("last\r\n"));
        QCOMPARE(ReadNoteFile(trailing, QStringConverter::Utf8).text, QString("last\n"));
    }

    void eightBitBytesSurvive() {
        // Bytes that are no UTF-8 (a Windows-1251 note, say) are read one by one and written back as they
        // were.
        const QByteArray cyrillic("\xcf\xf0\xe8\xe2\xe5\xf2\r\nok");
        const QString path = Write("cp1251", cyrillic);
        const NoteText note = ReadNoteFile(path, NoteEncodingForCharset(204));
        QCOMPARE(note.used, QStringConverter::Latin1);
        WriteNoteFile(path, note.text, note.used);
        QCOMPARE(Bytes(path), cyrillic);
        // A character the 8-bit file cannot hold is refused, leaving the file as it was.
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 WriteNoteFile(path, note.text + QChar(0x20AC), note.used));
        QCOMPARE(Bytes(path), cyrillic);

        const QString utf8 = Write("utf8", QString("caf\u00e9").toUtf8());
        const NoteText text = ReadNoteFile(utf8, NoteEncodingForCharset(0));
        QCOMPARE(text.used, QStringConverter::Utf8);
        QCOMPARE(text.text, QString("caf\u00e9"));
    }

    void failures() {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 ReadNoteFile(m_dir.filePath("missing"), QStringConverter::Utf8));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, WriteNoteFile(m_dir.filePath("no/such/folder/x"), "x",
                                                                   QStringConverter::Utf8));
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
