#include "platform/TextLines.h"
#include "support/FullDisk.h"

#include <QTemporaryDir>
#include <QtTest>
#include <unistd.h>

using namespace qm;

class TestTextLines : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir_.isValid()); }

    void load_data();
    void load();
    void loadLatin1Fallback();
    void loadMissingFile();
    void saveWritesCrLf();
    void saveEmptyListWritesEmptyFile();
    void saveRoundTrip();
    void saveIntoMissingFolderFails();
    void failedSaveKeepsOldContent();
    void joinPath();

private:
    QString WriteBytes(const QByteArray& bytes) {
        const QString path = dir_.filePath(QStringLiteral("in%1.txt").arg(++files_));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file %s", qPrintable(path));
        return path;
    }
    static QByteArray ReadBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir dir_;
    int files_ = 0;
};

void TestTextLines::load_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("cr") << QByteArray("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("mixed") << QByteArray("a\r\nb\nc\rd") << QStringList{"a", "b", "c", "d"};
    QTest::newRow("no final line ending") << QByteArray("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("empty lines kept")
        << QByteArray("\r\na\n\n\rb\r\n\r\n") << QStringList{"", "a", "", "", "b", ""};
    QTest::newRow("lf cr is two breaks") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("only a line ending") << QByteArray("\r\n") << QStringList{""};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
    QTest::newRow("utf-8") << QByteArray("Gr\xC3\xBC\xC3\x9F\x65\r\n\xE2\x82\xAC")
                           << QStringList{"Grüße", "€"};
    QTest::newRow("utf-8 byte order mark") << QByteArray("\xEF\xBB\xBFx\r\n") << QStringList{"x"};
    QTest::newRow("tabs and blanks kept") << QByteArray(" a\t \r\n") << QStringList{" a\t "};
}

void TestTextLines::load() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const QString path = WriteBytes(bytes);
    QStringList lines{"stale"};
    QVERIFY(LoadTextLines(path, lines));
    QCOMPARE(lines, expected);
    QCOMPARE(LoadTextLines(path), expected);
}

void TestTextLines::loadLatin1Fallback() {
    // "Grüße" in Latin-1: not valid UTF-8, so every byte becomes its Latin-1 character.
    const QString path = WriteBytes(QByteArray("Gr\xFC\xDF\x65\r\n\xE9t\xE9"));
    QCOMPARE(LoadTextLines(path), (QStringList{"Grüße", "été"}));
}

void TestTextLines::loadMissingFile() {
    QStringList lines{"stale"};
    QVERIFY(!LoadTextLines(dir_.filePath(QStringLiteral("missing.txt")), lines));
    QVERIFY(lines.isEmpty());
    QVERIFY(LoadTextLines(dir_.filePath(QStringLiteral("missing.txt"))).isEmpty());
}

void TestTextLines::saveWritesCrLf() {
    const QString path = dir_.filePath(QStringLiteral("out.txt"));
    QString error = QStringLiteral("stale");
    QVERIFY(SaveTextLines(path, {"a", "b"}, &error));
    QVERIFY(error.isEmpty());
    QCOMPARE(ReadBytes(path), QByteArray("a\r\nb\r\n"));

    QVERIFY(SaveTextLines(path, {"", "€"}));
    QCOMPARE(ReadBytes(path), QByteArray("\r\n\xE2\x82\xAC\r\n"));
}

void TestTextLines::saveEmptyListWritesEmptyFile() {
    const QString path = WriteBytes("old");
    QVERIFY(SaveTextLines(path, {}));
    QVERIFY(QFile::exists(path));
    QCOMPARE(ReadBytes(path), QByteArray());
}

void TestTextLines::saveRoundTrip() {
    const QStringList lines{"first", "", "  third  ", "Grüße"};
    const QString path = dir_.filePath(QStringLiteral("round.txt"));
    QVERIFY(SaveTextLines(path, lines));
    QCOMPARE(LoadTextLines(path), lines);
}

void TestTextLines::saveIntoMissingFolderFails() {
    const QString path = dir_.filePath(QStringLiteral("no/such/folder/out.txt"));
    QString error;
    QVERIFY(!SaveTextLines(path, {"a"}, &error));
    QVERIFY2(error.startsWith(QStringLiteral("The file \"%1\" could not be written: ").arg(path)),
             qPrintable(error));
    QVERIFY(!QFile::exists(path));
    QVERIFY(!SaveTextLines(path, {"a"})); // no error text wanted
}

void TestTextLines::failedSaveKeepsOldContent() {
    FullDisk disk(dir_.filePath(QStringLiteral("disk")));
    QM_REQUIRE_FULL_DISK(disk);
    const QString path = disk.Folder() + QStringLiteral("/Groups.txt");
    QVERIFY(SaveTextLines(path, {"old"}));
    disk.Fill();
    QString error;
    QVERIFY(!SaveTextLines(path, {"new"}, &error));
    QCOMPARE(error,
             QStringLiteral("The file \"%1\" could not be written: No space left on device.").arg(path));
    QCOMPARE(ReadBytes(path), QByteArray("old\r\n"));
    QCOMPARE(QDir(disk.Folder()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{".filler", "Groups.txt"}));
}

void TestTextLines::joinPath() {
    QCOMPARE(JoinPath(QStringLiteral("/data"), QStringLiteral("notes.txt")), "/data/notes.txt");
    QCOMPARE(JoinPath(QStringLiteral("/data/"), QStringLiteral("notes.txt")), "/data/notes.txt");
    QCOMPARE(JoinPath(QStringLiteral("/"), QStringLiteral("notes.txt")), "/notes.txt");
    QCOMPARE(JoinPath(QString(), QStringLiteral("notes.txt")), "notes.txt");
}

QTEST_GUILESS_MAIN(TestTextLines)
#include "tst_textlines.moc"
