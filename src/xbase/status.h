#pragma once

// The outcome of a table-engine operation: success, or a failure with a message a person can read.

#include <QString>

#include <utility>

namespace xbase {

class [[nodiscard]] TStatus {
public:
    TStatus() = default;
    static TStatus Ok() { return TStatus(); }
    static TStatus Error(QString message)
    {
        TStatus s;
        s.m_failed = true;
        s.m_message = std::move(message);
        return s;
    }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return !m_failed; }
    const QString& Message() const { return m_message; }

private:
    bool m_failed = false;
    QString m_message;
};

} // namespace xbase
