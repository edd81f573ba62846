#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

// Every failure of the database engine: a refused statement, a missing, locked or damaged table.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message, bool alreadyReported = false)
        : std::runtime_error(message.toStdString()), m_message(message), m_alreadyReported(alreadyReported) {}
    const QString& message() const { return m_message; }
    // The user was told about this fault once already (a table found unusable at start): the
    // steps of start-up that trip over it again show nothing more.
    bool AlreadyReported() const { return m_alreadyReported; }

private:
    QString m_message;
    bool m_alreadyReported = false;
};

} // namespace qm
