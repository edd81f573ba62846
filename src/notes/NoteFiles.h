#pragma once

#include "platform/CodePages.h"

#include <QString>
#include <QStringList>
#include <memory>

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

// How a note's text maps to its bytes: the code page its charset gives, and the note as it was read,
// so that writing it back changes only what was edited. Every line break keeps its own form (CR LF,
// lone CR, lone LF, LF CR), a UTF-8 byte-order mark stays, and so do bytes the code page cannot read.
struct NoteSource;
struct NoteEncoding {
    int charset = 1;
    CodePage page = CodePage::Utf8;
    std::shared_ptr<const NoteSource> source; // none for a new note
};

// The encoding of a new note in a font charset (the Windows charset codes of the charset menu).
NoteEncoding NoteEncodingForCharset(int charset);

// A note read whole: every lone CR, lone LF, CR LF and LF CR pair is one line break ("\n" in `text`);
// a byte-order mark is not part of the text; each byte the code page cannot read is one U+FFFD.
// `used` is how to write the text back. Throws when the file cannot be read.
struct NoteText {
    QString text;
    NoteEncoding used;
};
NoteText ReadNoteFile(const QString& path, const NoteEncoding& encoding);

// The note `encoding` was read from, shown as `text`, read again in the code page of `charset`: a
// font's charset changes how the bytes look, never the bytes. The bytes are those `text` is written
// as: the unedited bytes, and typed text in the code page it was typed under. Throws, naming the
// character, when that code page cannot hold a typed one. `encoding` must hold a note read from a file.
NoteText RereadNote(const QString& text, const NoteEncoding& encoding, int charset);

// The bytes of `text` ("\n" between lines) in the note's encoding: what was read and is unchanged
// keeps its bytes; new text is encoded, its line breaks in the note's first form (CR LF in a note that
// had none). Throws, naming the character and `path`, when the code page cannot hold a character.
QByteArray EncodeNote(const QString& text, const NoteEncoding& encoding, const QString& path);

// Writes the note atomically. Throws when it cannot be written or encoded; the file is then unchanged.
// After writing to the file the note was read from, `encoding` describes the file as written.
void WriteNoteFile(const QString& path, const QString& text, NoteEncoding& encoding);

// The path of a note titled `title` in `folder`. Throws, with a message for the user, when the
// title is empty, ".", "..", or holds "/" or a control character: a title never leaves the folder.
QString NotePathForTitle(const QString& folder, const QString& title);

} // namespace qm
