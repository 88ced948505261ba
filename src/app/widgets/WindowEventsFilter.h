#pragma once

#include <QObject>

// Keeps from a text field what is the window's: the undo and redo keys, which the field
// would take for its own history, and the drag of a combat file, which it would take as
// text.
class WindowEventsFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
