#pragma once

#include <QString>

namespace qm {

// Starts the program when the user logs on, through a desktop autostart entry
// <config folder>/autostart/<name>.desktop whose command is the program's quoted path.
class TLumidorAutostart {
public:
    // An empty name becomes the application name followed by "#Autostart".
    explicit TLumidorAutostart(const QString& appName = QString());

    QString AppName() const { return m_appName; }
    // A new name (not only a change of letter case) takes the entry along with it.
    void SetAppName(const QString& name);

    // Re-read from the entry on every call, so another program's removal is seen.
    bool Autostart();
    void SetAutostart(bool on);

    // The entry's file: $XDG_CONFIG_HOME (or ~/.config)/autostart/<file-safe name>.desktop.
    QString EntryFile() const;
    // The program path, quoted for the entry's command line.
    static QString QuotedCommand(const QString& programPath);
    // The first write of a process keeps whatever entry is there (re-written with this program's
    // path); tests start a fresh process with this.
    static void ResetFirstCallForTest();

private:
    bool IsPresent() const;
    bool WriteEntry(bool enable);

    QString m_appName;
    bool m_cache = false;
};

} // namespace qm
