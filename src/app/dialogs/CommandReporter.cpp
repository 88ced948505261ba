#include "app/dialogs/CommandReporter.h"

#include <QWidget>

CommandReporter::CommandReporter(Prompts &prompts, QWidget *window)
    : m_prompts(prompts)
    , m_window(window)
{
}

void CommandReporter::showNotices(const CommandResult &result)
{
    for (const CommandResult::Notice &notice : result.notices()) {
        const bool stop = notice.weight == CommandResult::Notice::Weight::Stop;
        m_prompts.message(m_window, notice.text, notice.title, stop ? Prompts::Icon::Stop : Prompts::Icon::Warning);
    }
}

bool CommandReporter::report(const CommandResult &result)
{
    showNotices(result);
    if (result.isDone())
        return true;
    m_prompts.message(m_window, result.sentence(), result.title(), Prompts::Icon::Stop);
    // The user need not count rows: the field at fault takes the focus.
    if (result.place() && m_focus)
        m_focus(*result.place());
    return false;
}

bool CommandReporter::report(const CommandResult &result, const std::function<void(const QString &)> &say)
{
    showNotices(result);
    if (result.isRefused())
        say(result.sentence());
    return result.isDone();
}

void CommandReporter::refuse(const QString &sentence)
{
    m_prompts.message(m_window, sentence, CommandResult::DefaultTitle, Prompts::Icon::Stop);
}
