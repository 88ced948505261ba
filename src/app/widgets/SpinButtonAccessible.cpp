#include "app/widgets/SpinButtonAccessible.h"

#include "app/widgets/SpinButton.h"

#include <QLineEdit>

SpinButtonAccessible::SpinButtonAccessible(SpinButton *spin)
    : QAccessibleWidget(spin, QAccessible::SpinBox)
{
}

SpinButton *SpinButtonAccessible::spin() const
{
    return static_cast<SpinButton *>(widget());
}

QString SpinButtonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value) {
        const QLineEdit *buddy = spin()->buddy();
        return buddy ? buddy->text() : QString();
    }
    return QAccessibleWidget::text(t);
}

QStringList SpinButtonAccessible::actionNames() const
{
    return QStringList{increaseAction(), decreaseAction()} + QAccessibleWidget::actionNames();
}

void SpinButtonAccessible::doAction(const QString &actionName)
{
    if (actionName == increaseAction())
        spin()->requestStep(+1, false);
    else if (actionName == decreaseAction())
        spin()->requestStep(-1, false);
    else
        QAccessibleWidget::doAction(actionName);
}

QStringList SpinButtonAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName == increaseAction())
        return {QStringLiteral("Up")};
    if (actionName == decreaseAction())
        return {QStringLiteral("Down")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
}

QAccessibleInterface *SpinButtonAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String(SpinButton::staticMetaObject.className()))
        if (auto *spin = qobject_cast<SpinButton *>(object))
            return new SpinButtonAccessible(spin);
    return nullptr;
}
