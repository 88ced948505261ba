#pragma once

class QAction;
class QLineEdit;
class QMenu;

// The standard menu of a line edit with its actions named as Qt names them from 6.5 on
// ("edit-undo", "edit-paste", ...), so that every Qt release finds them alike.
QMenu *namedLineEditMenu(QLineEdit *field);

// Undo and Redo of a field's menu act on the window's one history, through its actions.
void routeHistoryActions(QMenu *menu, QAction *undo, QAction *redo);
