#include "Clock.h"

#include <QMutex>
#include <optional>

namespace qm {

namespace {
QMutex testNowMutex;
std::optional<QDateTime> testNow;
} // namespace

QDateTime Now() {
    {
        QMutexLocker lock(&testNowMutex);
        if (testNow)
            return *testNow;
    }
    return QDateTime::currentDateTime();
}

QDate Today() {
    return Now().date();
}

void SetTestNow(const QDateTime& moment) {
    QMutexLocker lock(&testNowMutex);
    testNow = moment;
}

void ClearTestNow() {
    QMutexLocker lock(&testNowMutex);
    testNow.reset();
}

} // namespace qm
