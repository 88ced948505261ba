#include "app/rolls/Roller.h"

#include "document/CombatDocument.h"

Roller::Roller(CombatDocument &document, QObject *parent)
    : QObject(parent)
    , m_document(document)
{
}

void Roller::rollInitiative(bool monstersOnly)
{
    m_rolls.add(m_document.rollInitiative(m_dice, monstersOnly));
}

void Roller::rollRow(int r, combat::RollKind kind)
{
    if (r < 0) {
        m_rolls.add({combat::notRolled(kind, QString(), QString(),
                                       QStringLiteral("no combatant: mark a turn or put the cursor in a row"))});
        return;
    }
    const roster::Row &row = m_document.row(r);
    const QString who = row.name.isEmpty() ? QStringLiteral("Row %1").arg(r + 1) : row.name;
    m_rolls.add({kind == combat::RollKind::Damage ? combat::rollDamage(who, row.damage, m_dice)
                                                  : combat::rollAttack(who, row.attack, m_dice)});
}

void Roller::rollAgain(int line)
{
    if (line >= 0 && line < m_rolls.rowCount())
        m_rolls.add({combat::rollAgain(m_rolls.record(line), m_dice)});
}
