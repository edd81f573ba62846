#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace qm {

class TMainForm;

// Everything a test needs to run headless and repeatably: its own program folder, the English
// (United States) locale, a fixed clock, a fixed login name, message boxes answered from a queue and
// a lock folder of its own for the serial ports.
class TestEnvironment {
public:
    // `programFolder`: an existing folder to use (and keep), as a helper process shares its test's.
    explicit TestEnvironment(const QString& loginName = QStringLiteral("tester"),
                             const QDateTime& now = QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0)),
                             const QString& programFolder = QString());
    ~TestEnvironment();
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    QString ProgramFolder() const; // ends in "/"
    // Where a dial takes the port's lock file (instead of /run/lock).
    QString LockFolder() const { return m_lockDir.path(); }
    // The default archive folder of the login name: <program folder>qmarcs/<login>Arc.
    QString ArchiveFolder() const;
    QString ArchiveFile(const QString& name) const;
    void SetNow(const QDateTime& now);

    // Builds the main window (the whole start-up road runs); owned by the environment.
    TMainForm* CreateMainForm();
    void DestroyMainForm();

    // Runs a statement with the sqlite3 library directly on a table file, as an outside tool would.
    static void ExecOnFile(const QString& file, const QString& sql);
    static QList<QStringList> RowsOfFile(const QString& file, const QString& sql);

private:
    QTemporaryDir m_dir;
    QString m_programFolder;
    QTemporaryDir m_lockDir;
    QString m_loginName;
    std::unique_ptr<TMainForm> m_mainForm;
};

} // namespace qm
