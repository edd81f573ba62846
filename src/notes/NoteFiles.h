#pragma once

#include <QString>
#include <QStringConverter>
#include <QStringList>

// Note files on disk: the text test, file masks, the folder listing and the 8-bit text encodings.
namespace qm {

// True when the file exists, can be opened for reading and writing, and holds no byte below 32 but
// tab, line feed, carriage return and Ctrl-Z. An empty file is text.
bool IsTextFile(const QString& path);

// `mask` holds one or more patterns separated by ";": "*" matches any run of characters, "?" one;
// "*.*" matches every name.
bool MatchesFileMask(const QString& name, const QString& mask);
// The names of the folder's files (no folders) that match the mask, sorted by name.
QStringList ListMatchingFiles(const QString& folder, const QString& mask);

// The encoding a note is read and written with for a font charset code. The codes whose 8-bit code
// page Qt cannot convert here read as UTF-8.
QStringConverter::Encoding NoteEncodingForCharset(int charset);

// A note read whole: every lone CR, lone LF and LF CR pair is one line break ("\n" in `text`).
// Bytes that are not valid in `encoding` make the whole file read as Latin-1, so that writing it
// back keeps every byte; `used` tells which encoding was taken. Throws when the file cannot be read.
struct NoteText {
    QString text;
    QStringConverter::Encoding used = QStringConverter::Utf8;
};
NoteText ReadNoteFile(const QString& path, QStringConverter::Encoding encoding);

// Writes `text` ("\n" between lines) with CR LF between lines and none after the last, atomically.
// Throws when the file cannot be written or the text has characters the encoding cannot hold.
void WriteNoteFile(const QString& path, const QString& text, QStringConverter::Encoding encoding);

// The path of a note titled `title` in `folder`. Throws, with a message for the user, when the
// title is empty, ".", "..", or holds "/" or a control character: a title never leaves the folder.
QString NotePathForTitle(const QString& folder, const QString& title);

} // namespace qm
