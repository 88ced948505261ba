// Tooltips: one short sentence on what each column holds and what each control does.
#include "app/roster/RosterView.h"

#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"
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
        m_captions[static_cast<std::size_t>(view.captionNumber)]->setToolTip(QLatin1String(view.tip));

    const QString include = QStringLiteral("Include this row in the fighting order.");
    const QString amount = QStringLiteral("Damage to take off the hit points; a negative amount heals.");
    const QString substract = QStringLiteral("Takes the amount off the hit points (a negative amount heals); "
                                             "at -10 or below the combatant is down.");
    const QString clear = QStringLiteral("Empties this row.");
    const QString hpSpin = QStringLiteral("Steps the hit points by one; Up and Down in the field do the same.");
    const QString acSpin = QStringLiteral("Steps the armour class by one; Up and Down in the field do the same.");
    for (int r = 0; r < roster::RowCount; ++r) {
        m_includes[r]->setToolTip(include);
        m_amounts[r]->setToolTip(amount);
        m_substracts[r]->setToolTip(substract);
        m_clears[r]->setToolTip(clear);
        m_hitPointsSpins[r]->setToolTip(hpSpin);
        m_armourClassSpins[r]->setToolTip(acSpin);
        field(r, roster::Field::Note)->setToolTip(QLatin1String(fieldView(roster::Field::Note).tip));
    }

    m_calculate->setToolTip(QStringLiteral("Lists the included, named combatants who are not down, highest "
                                           "initiative first (F5)."));
    m_nextTurn->setToolTip(QStringLiteral("Marks the next combatant in the order; past the last, a new round (F6)."));
    m_list->setToolTip(QStringLiteral("The fighting order; it changes only when the order is calculated."));
    m_note->setToolTip(QStringLiteral("A note for the whole combat, saved with it."));
}
