// How long a large note takes to read and to encode for saving in a code page: unchanged, with one
// edit, and with edits scattered over many lines (the line diff, and past its limit the single hunk).

#include "notes/NoteFiles.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

using namespace qm;

namespace {

void Time(const char* what, const std::function<void()>& run) {
    QElapsedTimer timer;
    timer.start();
    run();
    std::printf("%-44s %8lld ms\n", what, static_cast<long long>(timer.elapsed()));
}

void Bench(const char* name, int charset, const QString& line) {
    QTemporaryDir dir;
    const QString path = dir.filePath("note");
    QString text;
    for (int i = 0; i < 100000; ++i)
        text += line + QString::number(i) + (i % 7 ? "\n" : "\n\n");
    {
        NoteEncoding encoding = NoteEncodingForCharset(charset);
        WriteNoteFile(path, text, encoding);
    }
    std::printf("%s: %lld bytes\n", name, static_cast<long long>(QFile(path).size()));
    NoteText note;
    Time("read", [&] { note = ReadNoteFile(path, NoteEncodingForCharset(charset)); });
    Time("encode unchanged", [&] { EncodeNote(note.text, note.used, path); });
    QString one = note.text;
    one.insert(one.size() / 2, line);
    Time("encode one edit", [&] { EncodeNote(one, note.used, path); });
    for (int edits : {300, 3000}) {
        QString many = note.text;
        for (int i = 0; i < edits; ++i)
            many.insert(qsizetype(i) * (many.size() / edits), QStringLiteral("x"));
        const QByteArray label = QByteArray::number(edits) + " scattered edits";
        Time(label.constData(), [&] { EncodeNote(many, note.used, path); });
    }
}

} // namespace

int main() {
    Bench("Cyrillic (1251)", 204, QStringLiteral("Привет, мир! Строка номер "));
    Bench("Korean (Johab)", 130, QStringLiteral("한글 문서의 줄 번호 "));
    Bench("UTF-8", 0, QStringLiteral("Grüße aus der Notiz, Zeile "));
    return 0;
}
