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
        const QStringList order = combat::fightingOrder(readRoster());
        List->clear();
        List->addItems(order);
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

void MainFrm::stepSpinButton(SpinButton *spin, qint16 index, int direction, bool hitPoints)
{
    runHandler([=, this] {
        try {
            spin->stepBy(direction); // UpDown1 reports the change through valueChanged()
        } catch (const roster::FieldError &) {
            spin->stopRepeat();
            const QString text = spin->buddy()->text();
            throw hitPoints ? combat::hitPointsOutOfRange(index, readRow(index).name, text)
                            : combat::armourClassOutOfRange(index, readRow(index).name, text);
        }
    });
}

void MainFrm::SubsCmd_Click(qint16 index)
{
    runHandler([this, index] {
        roster::Row row = readRow(index);
        combat::subtractDamage(row);
        writeRow(index, row);
    });
}

void MainFrm::cmdClear_Click(qint16 index)
{
    runHandler([this, index] {
        roster::Row row = readRow(index);
        combat::clearRow(row);
        writeRow(index, row);
    });
}

void MainFrm::mnuNew_Click()
{
    runHandler([this] {
        roster::Roster roster = readRoster();
        combat::newCombat(roster);
        writeRoster(roster);
        CurRow = roster::RowCount;
    });
}
