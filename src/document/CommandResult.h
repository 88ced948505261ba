#pragma once

#include "roster/FieldError.h"

#include <QList>
#include <QString>

#include <optional>

// What a command of the combat document came to: done, or refused with the sentence that
// says why and, where one field is at fault, the row and field it concerns. A refused
// command has changed nothing. Either may carry notices: sentences the user must read
// although the command went on (an old file, a file cut short, a save that had to be
// undone first), each with its box's title.
class [[nodiscard]] CommandResult
{
public:
    struct Notice
    {
        enum class Weight { Warning, Stop };
        QString text;
        QString title;
        Weight weight = Weight::Warning;
    };

    static CommandResult done() { return CommandResult(); }
    static CommandResult refused(const QString &sentence, std::optional<roster::FieldLocation> at = std::nullopt)
    {
        CommandResult result;
        result.m_refused = true;
        result.m_sentence = sentence;
        result.m_at = at;
        return result;
    }
    static CommandResult refused(const roster::FieldError &error) { return refused(error.message(), error.location()); }

    bool isDone() const { return !m_refused; }
    bool isRefused() const { return m_refused; }
    // Why it was refused; empty when done.
    const QString &sentence() const { return m_sentence; }
    // The title of the box that says it: "Fraymark" unless a command names another.
    const QString &title() const { return m_title; }
    const std::optional<roster::FieldLocation> &place() const { return m_at; }
    // Said before the refusal, in this order.
    const QList<Notice> &notices() const { return m_notices; }

    CommandResult &titled(const QString &title)
    {
        m_title = title;
        return *this;
    }
    // A notice with text; an empty text is none.
    CommandResult &notice(const QString &text, const QString &title = DefaultTitle,
                          Notice::Weight weight = Notice::Weight::Warning)
    {
        if (!text.isEmpty())
            m_notices.append({text, title, weight});
        return *this;
    }

    static inline const QString DefaultTitle = QStringLiteral("Fraymark");

private:
    CommandResult() = default;

    bool m_refused = false;
    QString m_sentence;
    QString m_title = DefaultTitle;
    std::optional<roster::FieldLocation> m_at;
    QList<Notice> m_notices;
};
