// The commands that change a running combat: the fighting order, the spin buttons
// with the down-row rule, "Substract", "Clear" and "New Combat".
#include "app/MainFrm.h"

#include "app/SpinButton.h"
#include "combat/Clearing.h"
#include "combat/Damage.h"
#include "combat/DownRow.h"
#include "combat/FightingOrder.h"
#include "combat/RowErrors.h"
#include "roster/FieldError.h"

#include <QLineEdit>
#include <QListWidget>

void MainFrm::Command1_Click()
{
    runHandler([this] {
        // Computed in full before the list is touched: an unreadable initiative
        // leaves the previous order on screen.
        const QList<combat::OrderEntry> order = combat::fightingOrderEntries(readRoster());
        QList<int> rows;
        List->clear();
        for (const combat::OrderEntry &entry : order) {
            List->addItem(entry.text);
            rows << entry.row;
        }
        const combat::TurnState turn = combat::afterRecalculation(m_turn, m_listRows, rows);
        m_listRows = rows;
        setTurn(turn);
        // The list is no part of the history: the marker follows it without a step.
        m_committed.markedRow = markedRow();
        m_committed.round = m_turn.round;
    });
}

void MainFrm::UpDown1_Change(qint16 index)
{
    runHandler([this, index] {
        roster::Row row = readRow(index);
        try {
            combat::applyDownRowRule(row);
        } catch (const roster::FieldError &) {
            throw combat::hitPointsOutOfRange(index, row.name, row.hp);
        }
        writeRow(index, row);
    });
}

void MainFrm::stepSpinButton(SpinButton *spin, qint16 index, int direction, SpinField field)
{
    const bool hitPoints = field == SpinField::HitPoints;
    // A held click or key is one step of the history, however often it repeats.
    if (!spin->isRepeatingStep())
        m_history.closeMerge();
    const QString what = (hitPoints ? QStringLiteral("HP step in ") : QStringLiteral("AC step in ")) + rowLabel(index);
    runCommand(what, [=, this] {
        // UpDown1 reports the change through valueChanged()
        if (spin->stepBy(direction) == SpinStepResult::Unreadable) {
            const QString text = spin->buddy()->text();
            throw hitPoints ? combat::hitPointsOutOfRange(index, readRow(index).name, text)
                            : combat::armourClassOutOfRange(index, readRow(index).name, text);
        }
    }, spin->objectName());
}

void MainFrm::SubsCmd_Click(qint16 index)
{
    runCommand(QStringLiteral("Substract ") + rowLabel(index), [this, index] {
        roster::Row row = readRow(index);
        combat::subtractDamage(row);
        writeRow(index, row);
    });
}

void MainFrm::cmdClear_Click(qint16 index)
{
    runCommand(QStringLiteral("Clear ") + rowLabel(index), [this, index] {
        roster::Row row = readRow(index);
        combat::clearRow(row);
        writeRow(index, row);
    });
}

void MainFrm::mnuNew_Click()
{
    runCommand(QStringLiteral("New Combat"), [this] {
        roster::Roster roster = readRoster();
        combat::newCombat(roster);
        writeRoster(roster);
        clearTurn();
    });
}
