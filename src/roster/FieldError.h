#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

namespace roster {

// The one error the field rules raise. The loader tells the kinds apart; everywhere
// else the error reaches the window's handler runner, which shows its message.
class FieldError : public std::exception
{
public:
    enum class Kind { TypeMismatch, Overflow, InvalidValue };

    FieldError(Kind kind, const QString &message)
        : m_kind(kind), m_message(message), m_utf8(message.toUtf8())
    {
    }

    static FieldError typeMismatch() { return {Kind::TypeMismatch, QStringLiteral("Type mismatch")}; }
    static FieldError overflow() { return {Kind::Overflow, QStringLiteral("Overflow")}; }

    Kind kind() const noexcept { return m_kind; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    Kind m_kind;
    QString m_message;
    QByteArray m_utf8;
};

} // namespace roster
