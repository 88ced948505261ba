// The target bar's Damage mode: an amount of damage, healing, temporary hit points or
// nonlethal damage, its dice rolled once for every target, and half for those who saved.
#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "combat/Amount.h"
#include "document/CombatDocument.h"

#include <QLineEdit>

#include <cmath>

void TargetBar::applyBlow(const QList<int> &rows)
{
    const QString typed = m_amount->text().trimmed();
    const std::optional<combat::Amount> amount = combat::parseAmount(typed);
    auto refuse = [this](const QString &why) {
        say(why);
        m_amount->selectAll();
    };
    if (!amount) {
        refuse(typed.isEmpty() ? QStringLiteral("Type the damage first: 7, 2d6+3, a heal as -5, half of 6d6 as 6d6/2.")
                               : combat::notAnAmount(typed));
        return;
    }
    QStringList names;
    for (const int r : rows)
        names.append(m_document.row(r).name + (m_choice.saved(r) ? QStringLiteral(" (saved: half)") : QString()));
    // Dice are rolled now, once for every target, and the roll is a line of the Rolls list.
    const combat::RolledAmount rolled =
        m_rollAmount ? m_rollAmount(*amount, typed, names.join(QStringLiteral(", "))) : combat::RolledAmount{};
    if (rolled.total == 0 || std::abs(rolled.total) > combat::MaximumBlow) {
        refuse(rolled.total == 0 ? QStringLiteral("A blow of 0 changes nothing; type the damage, or Esc to close.")
                                 : combat::blowTooLarge(rolled.total));
        return;
    }
    const CombatDocument::Blow blow{amount->kind, rolled.total, amount->dice.isEmpty() ? QString() : typed,
                                    m_choice.savedTargets()};
    QList<combat::RollRecord> said;
    if (m_reporter.report(m_document.blow(rows, blow, &said), [this](const QString &why) { say(why); })) {
        if (m_tell && !said.isEmpty())
            m_tell(said);
        closeToFight();
    }
}

void TargetBar::takeNewestTotal()
{
    const QList<qint64> totals = m_newestTotals ? m_newestTotals() : QList<qint64>();
    if (totals.isEmpty()) {
        say(QStringLiteral("The newest line of the Rolls list has no total to take."));
        return;
    }
    // Each "=" takes the next: the damage, then the damage with its critical, then round.
    qsizetype next = 0;
    for (qsizetype i = 0; i < totals.size(); ++i) {
        if (QString::number(totals[i]) == m_amount->text().trimmed())
            next = (i + 1) % totals.size();
    }
    m_amount->setText(QString::number(totals[next]));
    say(totals.size() > 1 ? QStringLiteral("= again: %1 with the critical, %2 without; Enter strikes.")
                                .arg(totals.last())
                                .arg(totals.first())
                          : hint());
}
