#pragma once

#include "UniqueFd.h"

#include <QByteArray>
#include <QString>

// How the program writes and reads its files.
//
// Writing: one writer for every file (WriteFileAtomically, CopyFileAtomically), so that a crash or a
// full disk leaves the old file or the new one. Qt's QSaveFile is not enough on its own: with a full
// disk its commit() can succeed after the buffered flush failed and rename an empty file over the
// target.
//
// Reading: one way to open a file (OpenRegularFileAt) that never waits on a FIFO or device and never
// follows a link the rule refuses, and one bounded read (ReadAll), so that no file another user
// plants, however large, can freeze the window or exhaust memory. ReadFileWhole joins the two.
namespace qm {

// Temporary files are named "." + target name + kTemporaryMarker + a random tail, in the target's
// folder: hidden from every list (they start with a dot and end in no mask's extension), and
// recognisable, so that the ones a crash leaves behind are swept at the next start.
inline constexpr char kTemporaryMarker[] = ".qmtmp-";

// The mode of a file the writer creates: the organizer's files are private to their user.
inline constexpr int kPrivateFileMode = 0600;

// Writes `data` so that a crash or a full disk leaves the old file or the new one: every write and
// the close are checked, the file is synced, renamed over the target, and the folder synced. A new
// file is created with `newFileMode` (an existing one keeps its mode; a symbolic link is written
// through to its file, unless another user put it in a shared sticky folder such as /tmp, where
// the kernel would not follow it either). A file the user may not write is refused. On failure the
// target is untouched, no temporary file is left, and `error` holds a message naming the file.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr,
                         int newFileMode = kPrivateFileMode);

// Copies `source` over `target` the same way: the old target stays whole until the copy is. The
// source is opened as OpenRegularFile does.
bool CopyFileAtomically(const QString& source, const QString& target, QString* error = nullptr,
                        int newFileMode = kPrivateFileMode);

// How a read treats a link at the end of its path.
enum class LinkRule {
    FollowOwn, // followed, unless another user put it in a shared sticky folder (as the writer does)
    Refuse,    // never followed: the file itself must be there
};

// The most a read takes in, by kind of file. Past it the file is refused, naming it and the limit.
inline constexpr qint64 kSmallFileLimit = qint64(1) << 20;      // settings, look files, colour sets
inline constexpr qint64 kDocumentLimit = qint64(64) << 20;      // notes, vCards and other imports
inline constexpr qint64 kRestoreMarkerLimit = qint64(64) << 20; // names every note of an archive
inline constexpr qint64 kLockFileLimit = 1024;                  // a process id and perhaps a name

// Opens `name` in the folder `folderFd` (AT_FDCWD: `name` is a path) for reading without ever
// waiting on it: a FIFO, device, socket or folder standing where a file is expected is refused at
// once, as is a link the rule does not allow (with LinkRule::Refuse only the last name is checked;
// the folder is the descriptor's). Messages name `shownPath`, or the folder's path and `name`.
// Returns the descriptor, or an invalid one with `error` naming the file and errno telling why
// (ELOOP for a refused link, EISDIR for a folder, EINVAL for a FIFO, device or socket).
UniqueFd OpenRegularFileAt(int folderFd, const QString& name, LinkRule rule, QString* error = nullptr,
                           const QString& shownPath = QString());
// The same for `name` in the folder at the path `folder` (empty: `name` is a path).
UniqueFd OpenRegularFileAt(const QString& folder, const QString& name, LinkRule rule,
                           QString* error = nullptr);

// Reads what `fd` holds from where it stands to its end into `data`, but refuses, before reading
// much, a file of more than `maxBytes`: false with `error` naming `shownPath` and the limit, or the
// read's error; errno is EFBIG for a file too large. `data` is empty after a failure.
bool ReadAll(int fd, qint64 maxBytes, QByteArray* data, const QString& shownPath, QString* error = nullptr);

// The message for a file refused for being larger than `maxBytes`.
QString TooLargeText(const QString& path, qint64 maxBytes);

// OpenRegularFileAt for a path, as an owned plain descriptor (the caller closes it), or -1.
int OpenRegularFile(const QString& path, QString* error = nullptr, LinkRule links = LinkRule::FollowOwn);

// Reads the whole of a regular file, opened as OpenRegularFileAt does and read as ReadAll does.
bool ReadFileWhole(const QString& path, QByteArray* data, QString* error = nullptr,
                   LinkRule links = LinkRule::FollowOwn, qint64 maxBytes = kSmallFileLimit);

// Writes all of `data` to `fd`, however short each write; false with errno set on failure.
bool WriteAllTo(int fd, const QByteArray& data);

// Copies what `from` still holds to `to`. Returns 0, or the errno of the read (`readFailed` set)
// or of the write that failed.
int CopyDescriptor(int from, int to, bool* readFailed);

// Makes the files created, renamed or removed in `folder` durable.
void SyncFolderEntries(const QString& folder);

// The writer's message for a file that could not be `what` ("written", "read") for the error `err`.
QString FileErrorText(const QString& path, const char* what, int err);

// True for the names WriteFileAtomically uses for its temporary files.
bool IsTemporaryFileName(const QString& fileName);

// Removes the temporary files a crash left in `folder` (not below it). Returns how many went.
int SweepTemporaryFiles(const QString& folder);

} // namespace qm
