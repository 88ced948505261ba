#pragma once

#include <QAccessibleWidget>

class SpinButton;

// What a screen reader sees of a spin button: a spin box named by the window, whose
// value is the text of the field it steps, with increase and decrease actions that
// ask for a step just as a click on an arrow does.
class SpinButtonAccessible : public QAccessibleWidget
{
public:
    explicit SpinButtonAccessible(SpinButton *spin);

    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // For QAccessible::installFactory.
    static QAccessibleInterface *create(const QString &className, QObject *object);

private:
    SpinButton *spin() const;
};
