// Tooltips: one short sentence on what each column holds and what each control does.
#include "app/roster/RosterView.h"

#include "app/roster/FieldViews.h"
#include "app/widgets/SpinButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

void RosterView::setToolTips()
{
    for (const FieldView &view : FieldViews)
        Label1[static_cast<std::size_t>(view.caption)]->setToolTip(QLatin1String(view.tip));

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
        ChrNote[r]->setToolTip(QLatin1String(fieldView(roster::Field::Note).tip));
    }

    Command1->setToolTip(QStringLiteral("Lists the included, named combatants, highest initiative first (F5)."));
    NextTurnCmd->setToolTip(QStringLiteral("Marks the next combatant in the order; past the last, a new round (F6)."));
    List->setToolTip(QStringLiteral("The fighting order; it changes only when the order is calculated."));
    NotesTxt->setToolTip(QStringLiteral("A note for the whole combat, saved with it."));
}
