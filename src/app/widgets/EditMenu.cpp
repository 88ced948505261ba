#include "app/widgets/EditMenu.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>

QMenu *namedLineEditMenu(QLineEdit *field)
{
    QMenu *menu = field->createStandardContextMenu();
    const QList<QAction *> items = menu->actions();
    // Qt 6.4 fills the menu in this order and names nothing: Undo and Redo unless
    // read-only, then Cut, Copy, Paste, Delete, Select All around two separators.
    if (items.isEmpty() || !items.constFirst()->objectName().isEmpty())
        return menu;
    static const char *const editable[] = {"edit-undo", "edit-redo", "", "edit-cut", "edit-copy",
                                           "edit-paste", "edit-delete", "", "select-all"};
    static const char *const readOnly[] = {"edit-copy", "", "select-all"};
    const bool editing = !field->isReadOnly();
    const qsizetype count = editing ? std::size(editable) : std::size(readOnly);
    if (items.size() != count)
        return menu;
    for (qsizetype i = 0; i < count; ++i)
        items[i]->setObjectName(QLatin1String(editing ? editable[i] : readOnly[i]));
    return menu;
}

void routeHistoryActions(QMenu *menu, QAction *undo, QAction *redo)
{
    for (QAction *item : menu->actions()) {
        QAction *window = item->objectName() == QLatin1String("edit-undo")   ? undo
                          : item->objectName() == QLatin1String("edit-redo") ? redo
                                                                              : nullptr;
        if (!window)
            continue;
        item->disconnect(); // from the field's own history
        item->setEnabled(window->isEnabled());
        QObject::connect(item, &QAction::triggered, window, &QAction::trigger);
    }
}
