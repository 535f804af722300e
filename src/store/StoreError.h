#pragma once

#include <QString>
#include <stdexcept>

namespace corvane
{

// A failure of the database layer: the file at fault and the engine's text.
class StoreError : public std::runtime_error
{
public:
    explicit StoreError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace corvane
