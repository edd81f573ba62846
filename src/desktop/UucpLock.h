#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// The lock that programs using a serial port agree on: a file "LCK..<device name>" in the lock
// folder holding the owner's process id as ten characters and a line feed. A lock whose process
// lives means the port is taken; one whose process is gone, or whose number now belongs to a
// process started after the lock was written, is stale and claims nothing. A stale lock is removed
// under an flock on the lock folder, and only while the name still holds the file judged stale, so
// that two copies never remove each other's fresh lock; the lock is written under an unpredictable
// name and linked into place, so that two programs never both get it. Where a stale lock cannot be
// removed (another user's in a sticky folder) or only root may write the lock folder (systemd's
// default), the locks there are still read and respected but none is written: the caller's flock
// and exclusive mode then guard the port alone.
class TUucpLock {
public:
    TUucpLock() = default;
    ~TUucpLock() { Release(); }
    TUucpLock(const TUucpLock&) = delete;
    TUucpLock& operator=(const TUucpLock&) = delete;

    // Takes the lock of `device` in `folder`; false when a live process holds it, when its owner
    // cannot be read (anything but a regular file counts as such), or when the file cannot be made
    // in a folder the user may write. True without a lock file of its own where none can be made
    // or a stale one cannot be removed.
    bool Acquire(const QString& folder, const QString& device);
    // Whether the port is still free for this process: always with a lock file of its own; without
    // one, as long as no other live process has locked the port since.
    bool Holds() const;
    // Removes the lock file, but only while it still names this process.
    void Release();

    // "LCK.." and the device's file name ("LCK..ttyS1" for /dev/ttyS1).
    static QString FileName(const QString& device);
    // The process a lock file names, or 0: decimal text with any blanks around it (the ten
    // characters written here among them), or the four bytes of a binary int as older programs
    // wrote it.
    static qint64 OwnerOf(const QByteArray& bytes);

private:
    QByteArray m_written; // the lock file made here
    QByteArray m_watched; // the lock file that could not be made, only read
};

} // namespace qm
