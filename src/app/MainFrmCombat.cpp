// The commands that change a running combat: the fighting order, the spin buttons
// with the down-row rule, "Substract", "Clear" and "New Combat". Each is a command
// of the document on what the window shows.
#include "app/MainFrm.h"

#include "app/SpinButton.h"
#include "combat/Clearing.h"
#include "combat/Damage.h"
#include "combat/DownRow.h"
#include "combat/RowErrors.h"
#include "combat/SpinStep.h"
#include "roster/FieldError.h"

#include <QLineEdit>

namespace {

// The down-row rule from a spin button: a number beyond a double names the row.
void applyDownRowRule(roster::Row &row, int index)
{
    try {
        combat::applyDownRowRule(row);
    } catch (const roster::FieldError &) {
        throw combat::hitPointsOutOfRange(index, row.name, row.hp);
    }
}

} // namespace

void MainFrm::runCommand(const QString &what, const CombatDocument::Change &change, const QString &mergeKey)
{
    runHandler([&] { m_document.run(readRoster(), what, change, mergeKey); });
}

void MainFrm::Command1_Click()
{
    runHandler([this] { m_document.calculateOrder(readRoster()); });
}

void MainFrm::UpDown1_Change(qint16 index)
{
    runCommand(QStringLiteral("HP step in ") + rowLabel(index),
               [index](CombatState &next) { applyDownRowRule(next.roster.rows[index], index); });
}

void MainFrm::stepSpinButton(SpinButton *spin, qint16 index, int direction, SpinField field)
{
    const bool hitPoints = field == SpinField::HitPoints;
    // A held click or key is one step of the history, however often it repeats.
    if (!spin->isRepeatingStep())
        m_document.closeMerge();
    const QString what = (hitPoints ? QStringLiteral("HP step in ") : QStringLiteral("AC step in ")) + rowLabel(index);
    bool stepped = false;
    runCommand(what, [&](CombatState &next) {
        roster::Row &row = next.roster.rows[index];
        QString &text = hitPoints ? row.hp : row.ac;
        std::optional<QString> stepText;
        try {
            stepText = combat::spinStep(text, direction);
        } catch (const roster::FieldError &) {
            spin->stopRepeat();
            throw hitPoints ? combat::hitPointsOutOfRange(index, row.name, text)
                            : combat::armourClassOutOfRange(index, row.name, text);
        }
        if (!stepText)
            return;
        text = *stepText;
        if (hitPoints)
            applyDownRowRule(row, index);
        stepped = true;
    }, spin->objectName());
    if (stepped)
        spin->reportStep();
}

void MainFrm::SubsCmd_Click(qint16 index)
{
    runCommand(QStringLiteral("Substract ") + rowLabel(index),
               [index](CombatState &next) { combat::subtractDamage(next.roster.rows[index]); });
}

void MainFrm::cmdClear_Click(qint16 index)
{
    runCommand(QStringLiteral("Clear ") + rowLabel(index),
               [index](CombatState &next) { combat::clearRow(next.roster.rows[index]); });
}

void MainFrm::mnuNew_Click()
{
    runCommand(QStringLiteral("New Combat"), [](CombatState &next) {
        combat::newCombat(next.roster);
        next.turn = {};
    });
}
