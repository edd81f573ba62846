#pragma once

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <optional>
#include <sys/types.h>

namespace qm {

// A piece of a test run in a fresh process of the test binary itself: a process a test kills, or
// one that runs as another user. A running Qt test is never forked (a fork of a threaded process
// may hang); the binary is started again and runs only the helper.
using HelperFunction = int (*)(const QStringList& arguments);

// Makes `function` the helper called `name`; see QM_TEST_HELPER.
struct HelperRegistration {
    HelperRegistration(const char* name, HelperFunction function);
};

// The helper this process was started for, run to its end with its exit code; nothing when the
// process runs the tests. A helper runs under its own QApplication.
std::optional<int> RunRequestedHelper(int argc, char** argv);

// A helper started in a process of its own; killed and reaped when the object goes.
class HelperProcess {
public:
    // `environment` holds extra "NAME=value" entries.
    HelperProcess(const char* name, const QStringList& arguments = {}, const QStringList& environment = {});
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    bool Started() const { return m_pid > 0; }
    pid_t Pid() const { return m_pid; }
    // Waits for the end; the wait status (WIFEXITED, WIFSIGNALED...).
    int Wait();
    void Kill(int signal);

private:
    pid_t m_pid = -1;
    int m_status = 0;
};

// Runs a helper to its end: its wait status.
int RunHelper(const char* name, const QStringList& arguments = {}, const QStringList& environment = {});

// Within a helper: the process kills itself with SIGKILL `microseconds` from now.
void KillSelfAfter(int microseconds);

} // namespace qm

// Defines a helper of the test binary: QM_TEST_HELPER(restore) { ... return 0; } with the helper's
// arguments in `arguments`.
#define QM_TEST_HELPER(name)                                                                                 \
    static int name##Helper(const QStringList& arguments);                                                   \
    static const qm::HelperRegistration name##Registration(#name, &name##Helper);                            \
    static int name##Helper([[maybe_unused]] const QStringList& arguments)

// QTEST_MAIN for a test binary with helpers.
#define QM_TEST_MAIN_WITH_HELPERS(TestObject)                                                                \
    int main(int argc, char** argv) {                                                                        \
        if (const std::optional<int> helperExit = qm::RunRequestedHelper(argc, argv))                        \
            return *helperExit;                                                                              \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject test;                                                                                     \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
