// The target bar's Go to mode: any named row chosen as a target is, then Enter or a field's
// key puts the caret in that field.
#include "app/target/TargetBar.h"

#include "app/target/BarText.h"
#include "document/CombatDocument.h"
#include "roster/RowLabels.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <array>
#include <utility>

namespace {

// Alt and a letter of the field's caption that no menu of the menu bar takes.
constexpr std::array<std::pair<Qt::Key, roster::Field>, 10> FieldKeys{{
    {Qt::Key_N, roster::Field::Name},
    {Qt::Key_P, roster::Field::HitPoints},
    {Qt::Key_I, roster::Field::Initiative},
    {Qt::Key_A, roster::Field::ArmourClass},
    {Qt::Key_R, roster::Field::Note},
    {Qt::Key_O, roster::Field::Fort},
    {Qt::Key_X, roster::Field::Reflex},
    {Qt::Key_W, roster::Field::Will},
    {Qt::Key_T, roster::Field::Attack},
    {Qt::Key_D, roster::Field::Damage},
}};

} // namespace

bool TargetBar::goToKey(QKeyEvent *key)
{
    if (bar::isEnter(key)) {
        goToChosen(roster::Field::Name);
        return true;
    }
    if (key->modifiers() == Qt::AltModifier) {
        if (key->key() == Qt::Key_U) {
            goToChosen(std::nullopt); // the amount box, for Substract
            return true;
        }
        for (const auto &[letter, field] : FieldKeys) {
            if (key->key() == letter) {
                goToChosen(field);
                return true;
            }
        }
    }
    // One row, no amount: Space and Tab add nothing.
    return key->key() == Qt::Key_Space || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
}

void TargetBar::goToChosen(std::optional<roster::Field> field)
{
    const int row = m_choice.chosen();
    if (row < 0) {
        say(QStringLiteral("Choose a row first: letters of its name, #row, or \u2191\u2193."));
        return;
    }
    if (!m_goTo || !m_goTo(row, field)) {
        say(QStringLiteral("%1 is down: its %2 is greyed out until it is healed.")
                .arg(bar::isolated(m_document.row(row).name),
                     field ? QString(QLatin1StringView(roster::fieldInfo(*field).caption)) : QStringLiteral("amount box")));
        return;
    }
    // The caret is in the field already: the bar goes without taking the focus anywhere.
    m_returnFocus = nullptr;
    hide();
    emit closed();
}
