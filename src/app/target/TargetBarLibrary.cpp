// The target bar's Library mode: letters choose a monster among the library's stat blocks and
// saved rows, a count, and Enter adds that many to the free rows.
#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "roster/Fields.h"
#include "roster/Roster.h"
#include "roster/ShownText.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

using bar::isEnter;
using bar::isolated;

namespace {

// The other names the letters also fit, shown after the chosen one.
constexpr int ShownOthers = 3;

} // namespace

bool TargetBar::libraryKey(QKeyEvent *key)
{
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        if (!m_libraryMatches.isEmpty()) {
            const int by = key->key() == Qt::Key_Up ? -1 : 1;
            const int count = int(m_libraryMatches.size());
            m_libraryPick = (m_libraryPick + by + count) % count;
            showChoice();
        }
        return true;
    }
    const QString text = key->text();
    const bool countFirst = m_target->text().isEmpty() && text.size() == 1 && text.front().isDigit();
    if (isEnter(key) || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || countFirst) {
        if (chosenEntry() < 0) {
            say(m_library.reading && m_library.reading() ? QStringLiteral("The library is still being read; a moment.")
                                                         : QStringLiteral("Choose a monster first: letters of its name."));
            return true;
        }
        m_amount->setFocus(Qt::TabFocusReason);
        m_amount->setText(countFirst ? text : QString());
        return true;
    }
    return false;
}

void TargetBar::libraryRead()
{
    if (isVisible() && m_mode == Mode::Library)
        chooseFromLibrary(m_target->text());
}

void TargetBar::chooseFromLibrary(const QString &typed)
{
    static const QList<files::LibraryEntry> none;
    const QList<files::LibraryEntry> &entries = m_library.entries ? m_library.entries() : none;
    m_libraryMatches = typed.trimmed().isEmpty() ? QList<int>() : files::searchLibrary(entries, typed.trimmed());
    m_libraryPick = m_libraryMatches.isEmpty() ? -1 : 0;
    showChoice();
    if (m_libraryMatches.isEmpty() && !typed.trimmed().isEmpty())
        say(m_library.reading && m_library.reading()
                ? QStringLiteral("The library is still being read; a moment.")
                : QStringLiteral("No monster in the library answers to \u201c%1\u201d (%2 entries).")
                      .arg(isolated(typed.trimmed()))
                      .arg(entries.size()));
    else
        say(hint());
}

void TargetBar::showLibraryChoice()
{
    const int chosen = chosenEntry();
    QString text = QStringLiteral("Nothing chosen");
    if (chosen >= 0) {
        const files::LibraryEntry &entry = m_library.entries()[chosen];
        text = QStringLiteral("%1 (%2; %3 HP, AC %4)")
                   .arg(isolated(entry.name), QFileInfo(entry.file).fileName(),
                        roster::shownText(entry.row.hp, 16), roster::shownText(entry.row.ac, 8));
        QStringList others;
        for (int i = 1; i <= ShownOthers && m_libraryPick + i < m_libraryMatches.size(); ++i)
            others.append(isolated(m_library.entries()[m_libraryMatches[m_libraryPick + i]].name));
        if (!others.isEmpty())
            text += QStringLiteral("; \u2193 ") + others.join(QStringLiteral(", "));
    }
    m_shown->setText(text);
    m_shown->setToolTip(text);
}

void TargetBar::addFromLibrary()
{
    const int chosen = chosenEntry();
    if (chosen < 0 || !m_library.add) {
        say(QStringLiteral("Choose a monster first: letters of its name."));
        m_target->setFocus(Qt::OtherFocusReason);
        return;
    }
    const QString typed = m_amount->text().trimmed();
    bool whole = true;
    const int count = typed.isEmpty() ? 1 : typed.toInt(&whole);
    if (!whole || count < 1 || count > roster::RowCount) {
        say(QStringLiteral("Type how many come: 1 to %1.").arg(roster::RowCount));
        m_amount->selectAll();
        return;
    }
    if (m_reporter.report(m_library.add(m_library.entries()[chosen].row, count), [this](const QString &why) { say(why); }))
        closeToFight();
}
