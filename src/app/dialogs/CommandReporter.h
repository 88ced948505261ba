#pragma once

#include "app/dialogs/Prompts.h"
#include "document/CommandResult.h"

#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

// The one place a command's result reaches the user: its notices and its refusal, each in
// a box over the window, and then the focus in the field a refusal names. Every view hands
// what the document's commands return to it.
class CommandReporter
{
public:
    // Puts the caret in a row's field.
    using FieldFocus = std::function<void(const roster::FieldLocation &)>;

    CommandReporter(Prompts &prompts, QWidget *window);

    void setFieldFocus(FieldFocus focus) { m_focus = std::move(focus); }

    // Shows what the result has to say; true when the command was done.
    bool report(const CommandResult &result);
    // The same, with the refusal said by `say` (a bar's own status line, where the user is
    // looking) instead of a box; the notices still come in boxes.
    bool report(const CommandResult &result, const std::function<void(const QString &)> &say);

    // A stop box with `sentence`, for a refusal of the window's own (an edit too long).
    void refuse(const QString &sentence);

    Prompts &prompts() { return m_prompts; }

private:
    void showNotices(const CommandResult &result);

    Prompts &m_prompts;
    QPointer<QWidget> m_window;
    FieldFocus m_focus;
};
