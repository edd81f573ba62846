#pragma once

#include <QString>
#include <QStringList>

// Small text files read and written as lists of lines. Reading splits on CR LF, LF or CR; writing
// puts CR LF after each line. Text is UTF-8, the system's encoding; a file that is not valid
// UTF-8 is read as Latin-1 so that no byte is lost.
namespace qm {

// Returns false (and leaves `lines` empty, `error` naming the file) when the file cannot be read:
// missing, no regular file, or larger than a small file may be (kSmallFileLimit).
bool LoadTextLines(const QString& path, QStringList& lines, QString* error = nullptr);
QStringList LoadTextLines(const QString& path);

// A settings or look file's lines. One that is there but cannot be read (larger than a small file
// may be, no regular file, unreadable) is shown in one box naming it and why, and reads as empty.
QStringList LoadSettingLines(const QString& path);

// Writes the whole file so that a crash leaves the old content or the new one.
// Returns false with a reason in `error` when the file could not be written.
bool SaveTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);

// Joins a folder (without trailing "/") and a file name.
QString JoinPath(const QString& folder, const QString& name);

} // namespace qm
