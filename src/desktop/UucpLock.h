#pragma once

#include <QByteArray>
#include <QString>

namespace qm {

// The lock that programs using a serial port agree on: a file "LCK..<device name>" in the lock
// folder holding the owner's process id as ten characters and a line feed. A lock whose process
// lives means the port is taken; one whose process is gone is stale and is taken over. The lock is
// written under a private name and linked into place, so that two programs never both get it.
class TUucpLock {
public:
    TUucpLock() = default;
    ~TUucpLock() { Release(); }
    TUucpLock(const TUucpLock&) = delete;
    TUucpLock& operator=(const TUucpLock&) = delete;

    // Takes the lock of `device` in `folder`; false when a live process holds it, when its owner
    // cannot be read, or when the file cannot be made.
    bool Acquire(const QString& folder, const QString& device);
    // Removes the lock file, but only while it still names this process.
    void Release();

    // "LCK.." and the device's file name ("LCK..ttyS1" for /dev/ttyS1).
    static QString FileName(const QString& device);
    // The process a lock file names, or 0: decimal text with any blanks around it (the ten
    // characters written here among them), or the four bytes of a binary int as older programs
    // wrote it.
    static qint64 OwnerOf(const QByteArray& bytes);

private:
    QString m_path;
};

} // namespace qm
