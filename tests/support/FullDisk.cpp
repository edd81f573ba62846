#include "support/FullDisk.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm {

namespace {

QString Filler(const QString& folder) {
    return folder + QStringLiteral("/.filler");
}

} // namespace

FullDisk::FullDisk(const QString& folder, qint64 bytes) : m_folder(folder) {
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("a full disk needs a tmpfs mount, which needs root");
        return;
    }
    QDir().mkpath(folder);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0) {
        m_reason = QStringLiteral("the tmpfs could not be mounted: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

FullDisk::~FullDisk() {
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}

void FullDisk::Fill() {
    const int fd =
        ::open(QFile::encodeName(Filler(m_folder)).constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        qFatal("cannot create the filler file: %s", std::strerror(errno));
    // Large blocks first, then single bytes, until not one more byte fits.
    static const char block[4096] = {};
    for (size_t size = sizeof block; size > 0; size /= 2)
        while (::write(fd, block, size) == ssize_t(size)) {
        }
    ::close(fd);
}

void FullDisk::LeaveFree(qint64 bytes) {
    Fill();
    const QByteArray filler = QFile::encodeName(Filler(m_folder));
    struct stat info {};
    if (::stat(filler.constData(), &info) != 0 ||
        ::truncate(filler.constData(), qMax<qint64>(0, info.st_size - bytes)) != 0)
        qFatal("cannot shorten the filler file: %s", std::strerror(errno));
}

void FullDisk::Free() {
    QFile::remove(Filler(m_folder));
}

} // namespace qm
