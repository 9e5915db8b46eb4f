#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The program's own failure kind: carries a message for the standard error box. The protocol
// clients' failure kinds derive from it.
class Exception : public std::exception
{
public:
    explicit Exception(QString message)
        : m_message(std::move(message))
        , m_utf8(m_message.toUtf8())
    { }

    const QString &Message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};
