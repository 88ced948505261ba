#include "app/shell/Preferences.h"

#include <QSettings>

namespace preferences {
namespace {

const QString GroupInitiativeKey = QStringLiteral("Initiative/GroupInitiative");

QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("fraymark"), QStringLiteral("fraymark"));
}

} // namespace

bool groupInitiative()
{
    return store().value(GroupInitiativeKey, false).toBool();
}

bool setGroupInitiative(bool on)
{
    QSettings settings = store();
    settings.setValue(GroupInitiativeKey, on);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString fileName()
{
    return store().fileName();
}

} // namespace preferences
