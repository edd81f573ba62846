#include "support/HelperProcess.h"

#include <QHash>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace qm {

namespace {

constexpr char kHelperVariable[] = "QM_TEST_HELPER";

QHash<QByteArray, HelperFunction>& Helpers() {
    static QHash<QByteArray, HelperFunction> helpers;
    return helpers;
}

} // namespace

HelperRegistration::HelperRegistration(const char* name, HelperFunction function) {
    Helpers().insert(name, function);
}

std::optional<int> RunRequestedHelper(int argc, char** argv) {
    const QByteArray name = qgetenv(kHelperVariable);
    if (name.isEmpty())
        return std::nullopt;
    qunsetenv(kHelperVariable); // what the helper starts in turn runs as itself
    const HelperFunction helper = Helpers().value(name);
    if (!helper)
        return 125;
    QApplication app(argc, argv);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return helper(arguments);
}

HelperProcess::HelperProcess(const char* name, const QStringList& arguments, const QStringList& environment) {
    std::vector<QByteArray> argumentBytes{QByteArray("/proc/self/exe")};
    for (const QString& argument : arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<QByteArray> environmentBytes{QByteArray(kHelperVariable) + '=' + name};
    for (const QString& entry : environment)
        environmentBytes.push_back(entry.toLocal8Bit());
    for (char** entry = environ; *entry; ++entry)
        if (!QByteArray(*entry).startsWith(QByteArray(kHelperVariable) + '='))
            environmentBytes.emplace_back(*entry);

    std::vector<char*> argv;
    for (QByteArray& bytes : argumentBytes)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (QByteArray& bytes : environmentBytes)
        envp.push_back(bytes.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), envp.data()) == 0)
        m_pid = pid;
}

HelperProcess::~HelperProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        Wait();
    }
}

int HelperProcess::Wait() {
    if (m_pid <= 0)
        return m_status;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    m_status = status;
    return status;
}

void HelperProcess::Kill(int signal) {
    if (m_pid > 0)
        ::kill(m_pid, signal);
}

int RunHelper(const char* name, const QStringList& arguments, const QStringList& environment) {
    HelperProcess helper(name, arguments, environment);
    return helper.Started() ? helper.Wait() : -1;
}

void KillSelfAfter(int microseconds) {
    std::signal(SIGALRM, [](int) { std::raise(SIGKILL); });
    itimerval timer{};
    timer.it_value.tv_sec = microseconds / 1000000;
    timer.it_value.tv_usec = microseconds % 1000000;
    ::setitimer(ITIMER_REAL, &timer, nullptr);
}

} // namespace qm
