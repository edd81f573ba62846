#pragma once

#include <QString>
#include <stdexcept>

namespace qm {

// Every failure of the database engine: a refused statement, a missing, locked or damaged table.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

} // namespace qm
