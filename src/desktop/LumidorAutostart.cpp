#include "desktop/LumidorAutostart.h"

#include "platform/MessageBox.h"
#include "platform/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

bool g_firstCall = true;

QString ConfigFolder() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG base-directory rules ignore a relative path.
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return configured;
    return QDir::homePath() + QStringLiteral("/.config");
}

QString FileSafe(const QString& name) {
    QString safe;
    for (const QChar c : name)
        safe += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'-' || c == u'.' ? c : QChar(u'_');
    return safe;
}

QString ExecLine(const QFile& file) {
    QByteArray bytes;
    if (!ReadFileWhole(file.fileName(), &bytes))
        return QString();
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5).trimmed();
    }
    return QString();
}

void ReportEntryFailure(const QString& error) {
    MessageBox(QStringLiteral("The start at login could not be changed.\r") + error,
               QStringLiteral("Quellmire Organizer"), Mb::Ok + Mb::IconExclamation);
}

} // namespace

TLumidorAutostart::TLumidorAutostart(const QString& appName) : m_appName(appName) {
    if (m_appName.isEmpty())
        m_appName = QCoreApplication::applicationName() + QStringLiteral("#Autostart");
}

void TLumidorAutostart::ResetFirstCallForTest() {
    g_firstCall = true;
}

QString TLumidorAutostart::EntryFile() const {
    return ConfigFolder() + QStringLiteral("/autostart/") + FileSafe(m_appName) + QStringLiteral(".desktop");
}

QString TLumidorAutostart::QuotedCommand(const QString& programPath) {
    // Inside a quoted argument ", `, $ and \ are escaped; the whole value then escapes its
    // backslashes once more, and a lone % would be a field code.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    quoted = QLatin1Char('"') + quoted + QLatin1Char('"');
    quoted.replace(QLatin1String("\\"), QLatin1String("\\\\"));
    quoted.replace(QLatin1String("%"), QLatin1String("%%"));
    return quoted;
}

bool TLumidorAutostart::IsPresent() const {
    if (m_appName.isEmpty())
        return false;
    const QFile file(EntryFile());
    return file.exists() && !ExecLine(file).isEmpty();
}

bool TLumidorAutostart::WriteEntry(bool enable) {
    if (g_firstCall) {
        enable = IsPresent();
        g_firstCall = false;
    }
    if (m_appName.isEmpty())
        return false;
    const QString file = EntryFile();
    if (!enable) {
        if (QFileInfo::exists(file) && !QFile::remove(file))
            ReportEntryFailure(QStringLiteral("The file \"%1\" could not be removed.").arg(file));
        return false;
    }
    const QByteArray text =
        (QStringLiteral("[Desktop Entry]\nType=Application\nName=") + QCoreApplication::applicationName() +
         QStringLiteral("\nExec=") + QuotedCommand(QCoreApplication::applicationFilePath()) +
         QStringLiteral("\nX-GNOME-Autostart-enabled=true\n"))
            .toUtf8();
    // Every settings change comes here: an entry that already says the same is left alone.
    QByteArray current;
    if (ReadFileWhole(file, &current) && current == text)
        return true;
    QString error;
    if (!QDir().mkpath(QFileInfo(file).absolutePath())) {
        ReportEntryFailure(
            QStringLiteral("The folder \"%1\" could not be created.").arg(QFileInfo(file).absolutePath()));
        return false;
    }
    if (!WriteFileAtomically(file, text, &error)) {
        ReportEntryFailure(error);
        return false;
    }
    return true;
}

bool TLumidorAutostart::Autostart() {
    m_cache = IsPresent();
    return m_cache;
}

void TLumidorAutostart::SetAutostart(bool on) {
    m_cache = WriteEntry(on);
}

void TLumidorAutostart::SetAppName(const QString& name) {
    if (name.toUpper() == m_appName.toUpper())
        return;
    const bool held = IsPresent();
    if (held)
        QFile::remove(EntryFile());
    m_appName = name;
    if (held) {
        // Moving an entry is not the process's first say on it.
        g_firstCall = false;
        WriteEntry(true);
    }
    Autostart();
}

} // namespace qm
