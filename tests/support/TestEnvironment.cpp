#include "support/TestEnvironment.h"

#include "app/MainForm.h"
#include "desktop/BrowseForFolder.h"
#include "desktop/CoolTrayIcon.h"
#include "desktop/Dialer.h"
#include "desktop/LumidorAutostart.h"
#include "desktop/ProgramArguments.h"
#include "dialogs/SelectForm.h"
#include "engine/Session.h"
#include "exchange/Report.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/Launcher.h"
#include "platform/MessageBox.h"
#include "platform/Modal.h"
#include "platform/Printing.h"
#include "platform/Sound.h"
#include "platform/UserAccount.h"

#include <QDir>
#include <QLocale>
#include <QTest>
#include <sqlite3.h>

namespace qm {

TestEnvironment::TestEnvironment(const QString& loginName, const QDateTime& now, const QString& programFolder)
    : m_programFolder(programFolder.isEmpty() ? m_dir.path() : QDir::cleanPath(programFolder)),
      m_loginName(loginName) {
    if (!programFolder.isEmpty())
        m_dir.remove(); // not needed
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qputenv("QUELLMIRE_PROGRAM_FOLDER", m_programFolder.toLocal8Bit());
    // Login entries go to the test's own folder, never to the user's.
    qputenv("XDG_CONFIG_HOME", (m_programFolder + QStringLiteral("/config")).toLocal8Bit());
    // Alarms notify no real desktop: a test that wants the notifications brings its own bus.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            ("unix:path=" + m_programFolder + QStringLiteral("/no-bus")).toLocal8Bit());
    TLumidorAutostart::ResetFirstCallForTest();
    ProgramArgumentsSeam::Set({QStringLiteral("quellmire")});
    TraySeam::Reset();
    SetTestLoginName(loginName);
    SetTestNow(now);
    MessageBoxSeam::Enable();
    MessageBoxSeam::Reset();
    ModalSeam::Enable();
    ModalSeam::Reset();
    DialogSeam::Enable();
    DialogSeam::Reset();
    BrowseForFolderSeam::Enable();
    BrowseForFolderSeam::Reset();
    LauncherSeam::Enable();
    LauncherSeam::Reset();
    PrintSeam::Enable();
    PrintSeam::Reset();
    ReportSeam::PrintToPdf(m_programFolder + QStringLiteral("/printed.pdf"));
    SoundSeam::Enable();
    SoundSeam::Reset();
    // A dial takes the port's lock here, never in the machine's lock folder.
    DialerSeam::SetLockFolder(m_lockDir.path());
    Session::Instance().Reset();
}

TestEnvironment::~TestEnvironment() {
    DestroyMainForm();
    Session::Instance().Reset();
    MessageBoxSeam::Reset();
    ModalSeam::Reset();
    BrowseForFolderSeam::Reset();
    PrintSeam::Reset();
    ReportSeam::Disable();
    SoundSeam::Reset();
    DialerSeam::Reset();
    ClearTestNow();
    ClearTestLoginName();
    qunsetenv("QUELLMIRE_PROGRAM_FOLDER");
}

QString TestEnvironment::ProgramFolder() const {
    return m_programFolder + QLatin1Char('/');
}

QString TestEnvironment::ArchiveFolder() const {
    const QString profile =
        m_loginName.isEmpty() ? QStringLiteral("generic") : m_loginName + QStringLiteral("Arc");
    return ProgramFolder() + QStringLiteral("qmarcs/") + profile;
}

QString TestEnvironment::ArchiveFile(const QString& name) const {
    return ArchiveFolder() + QLatin1Char('/') + name;
}

void TestEnvironment::SetNow(const QDateTime& now) {
    SetTestNow(now);
}

TMainForm* TestEnvironment::CreateMainForm() {
    DestroyMainForm();
    m_mainForm = std::make_unique<TMainForm>();
    SelectForm = new TSelectForm(m_mainForm.get());
    return m_mainForm.get();
}

void TestEnvironment::DestroyMainForm() {
    delete SelectForm;
    m_mainForm.reset();
    Session::Instance().CloseAll();
}

void TestEnvironment::ExecOnFile(const QString& file, const QString& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        QFAIL(qPrintable(QStringLiteral("cannot open ") + file));
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error);
    const QString message = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        QFAIL(qPrintable(message));
}

QList<QStringList> TestEnvironment::RowsOfFile(const QString& file, const QString& sql) {
    QList<QStringList> rows;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return rows;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                row.append(text ? QString::fromUtf8(text) : QStringLiteral("<null>"));
            }
            rows.append(row);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

} // namespace qm
