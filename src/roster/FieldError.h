#pragma once

#include "roster/Fields.h"

#include <QByteArray>
#include <QString>

#include <exception>
#include <optional>

namespace roster {

// Where an error happened: the row (0 .. 18) and its field.
struct FieldLocation
{
    int row = 0;
    Field field = Field::HitPoints;
    friend bool operator==(const FieldLocation &, const FieldLocation &) = default;
};

// The one error the field rules raise. The loader tells the kinds apart; everywhere
// else the error reaches the window's handler runner, which shows its message and,
// when the error knows its field, can put the focus there.
class FieldError : public std::exception
{
public:
    enum class Kind { TypeMismatch, Overflow, InvalidValue };

    FieldError(Kind kind, const QString &message, std::optional<FieldLocation> location = std::nullopt)
        : m_kind(kind), m_message(message), m_utf8(message.toUtf8()), m_location(location)
    {
    }

    static FieldError typeMismatch() { return {Kind::TypeMismatch, QStringLiteral("Type mismatch")}; }
    static FieldError overflow() { return {Kind::Overflow, QStringLiteral("Overflow")}; }

    Kind kind() const noexcept { return m_kind; }
    const QString &message() const noexcept { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }
    const std::optional<FieldLocation> &location() const noexcept { return m_location; }

private:
    Kind m_kind;
    QString m_message;
    QByteArray m_utf8;
    std::optional<FieldLocation> m_location;
};

} // namespace roster
