#pragma once

#include <QString>

namespace qm {

// A small tmpfs mounted at a folder, which the test fills to the last byte: a real full disk.
// Mounting needs root (as in CI); elsewhere Ready() is false and Reason() says why, for QSKIP.
// The folder is unmounted when the object goes, even while files on it are still open.
class FullDisk {
public:
    explicit FullDisk(const QString& folder, qint64 bytes = 64 * 1024);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Ready() const { return m_mounted; }
    QString Reason() const { return m_reason; }
    QString Folder() const { return m_folder; }

    // Fills every free byte with a hidden filler file; a later write of even one byte fails.
    void Fill();
    // Fills the disk but for about `bytes` (the file system counts in pages).
    void LeaveFree(qint64 bytes);
    // Frees the space again.
    void Free();

private:
    QString m_folder;
    QString m_reason;
    bool m_mounted = false;
};

} // namespace qm

// Skips the calling test function when no full disk can be made here.
#define QM_REQUIRE_FULL_DISK(disk)                                                                           \
    do {                                                                                                     \
        if (!(disk).Ready())                                                                                 \
            QSKIP(qPrintable((disk).Reason()));                                                              \
    } while (false)
