#include "UserAccount.h"

#include <QMutex>
#include <cerrno>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace qm {

namespace {

QMutex testNameMutex;
std::optional<QString> testLoginName;

struct AccountRecord {
    QString loginName;
    QString gecos;
};

AccountRecord ReadAccount() {
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? size_t(size) : 16384);
    passwd record{};
    passwd* found = nullptr;
    while (getpwuid_r(geteuid(), &record, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (!found)
        return {};
    return {QString::fromLocal8Bit(found->pw_name ? found->pw_name : ""),
            QString::fromLocal8Bit(found->pw_gecos ? found->pw_gecos : "")};
}

} // namespace

QString LoginName() {
    {
        QMutexLocker lock(&testNameMutex);
        if (testLoginName)
            return *testLoginName;
    }
    return ReadAccount().loginName;
}

QString FullName() {
    // The account record's comment field is "full name,room,phone,...".
    const QString gecos = ReadAccount().gecos;
    return gecos.section(u',', 0, 0).trimmed();
}

void SetTestLoginName(const QString& name) {
    QMutexLocker lock(&testNameMutex);
    testLoginName = name;
}

void ClearTestLoginName() {
    QMutexLocker lock(&testNameMutex);
    testLoginName.reset();
}

} // namespace qm
