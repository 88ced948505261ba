#include "combat/Reinforcements.h"

#include "combat/NumberedNames.h"
#include "roster/Fields.h"

#include <QSet>

namespace combat {
namespace {

// `name`, or "name N" with the smallest N from 2 on that nobody has yet.
QString distinctName(const QString &name, const QSet<QString> &taken)
{
    if (!taken.contains(nameKey(name)))
        return name;
    for (int number = 2;; ++number) {
        const QString candidate = numberedName(name, number);
        if (!taken.contains(nameKey(candidate)))
            return candidate;
    }
}

} // namespace

bool isFreeRow(const roster::Row &row)
{
    for (const roster::FieldInfo &field : roster::RowFields) {
        if (!(row.*field.text).isEmpty())
            return false;
    }
    return true;
}

Reinforcement addCombatants(roster::Roster &roster, const roster::Roster &arrivals)
{
    Reinforcement result;
    QList<int> freeRows;
    QSet<QString> taken;
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        if (isFreeRow(row))
            freeRows << r;
        else if (!row.name.trimmed().isEmpty())
            taken.insert(nameKey(row.name));
    }
    QList<const roster::Row *> named;
    for (const roster::Row &row : arrivals.rows) {
        if (!row.name.trimmed().isEmpty())
            named << &row;
    }
    result.named = int(named.size());
    result.free = int(freeRows.size());
    if (named.isEmpty() || named.size() > freeRows.size())
        return result;

    for (qsizetype i = 0; i < named.size(); ++i) {
        roster::Row &target = roster.rows[static_cast<std::size_t>(freeRows[i])];
        const QString amount = target.amount;
        const quint32 serial = target.serial; // a free row holds nobody of the list
        target = *named[i];
        target.amount = amount;
        target.serial = serial;
        target.name = distinctName(target.name, taken);
        taken.insert(nameKey(target.name));
        result.rows << freeRows[i];
    }
    return result;
}

} // namespace combat
