// Tooltips: one short sentence on what each column holds and what each control does.
#include "app/MainFrm.h"

#include "app/SpinButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

void MainFrm::setToolTips()
{
    // Label1's captions, in their array order.
    static const char *const captionTips[10] = {
        "The combatant's name; only named rows enter the fighting order.",
        "Hit points. A combatant at -10 hit points or below is down and leaves the fighting order.",
        "Armour class.",
        "Any note on this combatant. A condition that runs out is written [Stunned: 2]: a name of "
        "letters, digits, spaces, hyphens and apostrophes, a colon and 1 to 99 rounds; it counts "
        "down at the start of each of the combatant's turns and leaves the note at 0.",
        "The combatant's attack, such as +4 shortbow.",
        "The initiative; the fighting order lists the highest first.",
        "Fortitude save.",
        "Will save.",
        "Reflex save.",
        "The combatant's damage, such as 1d8+2.",
    };
    for (int i = 0; i < 10; ++i)
        Label1[i]->setToolTip(QLatin1String(captionTips[i]));

    const QString include = QStringLiteral("Include this row in the fighting order.");
    const QString amount = QStringLiteral("Damage to take off the hit points; a negative amount heals.");
    const QString substract = QStringLiteral("Takes the amount off the hit points (a negative amount heals); "
                                             "at -10 or below the combatant is down.");
    const QString clear = QStringLiteral("Empties this row.");
    const QString hpSpin = QStringLiteral("Steps the hit points by one; Up and Down in the field do the same.");
    const QString acSpin = QStringLiteral("Steps the armour class by one; Up and Down in the field do the same.");
    for (int r = 0; r < roster::RowCount; ++r) {
        ChrChk[r]->setToolTip(include);
        SubsTxt[r]->setToolTip(amount);
        SubsCmd[r]->setToolTip(substract);
        cmdClear[r]->setToolTip(clear);
        UpDown1[r]->setToolTip(hpSpin);
        UpDown2[r]->setToolTip(acSpin);
        ChrNote[r]->setToolTip(Label1[3]->toolTip());
    }

    Command1->setToolTip(QStringLiteral("Lists the included, named combatants, highest initiative first (F5)."));
    NextTurnCmd->setToolTip(QStringLiteral("Marks the next combatant in the order; past the last, a new round (F6)."));
    List->setToolTip(QStringLiteral("The fighting order; it changes only when the order is calculated."));
    NotesTxt->setToolTip(QStringLiteral("A note for the whole combat, saved with it."));
}
