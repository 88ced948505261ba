#pragma once

#include "app/roster/FieldViews.h"
#include "app/widgets/CaptionedScrollArea.h"
#include "document/CombatState.h"
#include "document/CommandResult.h"
#include "roster/Fields.h"

#include <array>
#include <functional>

class CombatDocument;
class CommandReporter;
class FieldEdit;
class NoteEdit;
class OrderModel;
class QAction;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QListView;
class QPushButton;
class SpinButton;

// The main window's page: the nineteen rows of the roster under their captions, the
// fighting order with its buttons and the turn line, and the general note. It tells the
// document what the user did the moment it happens, hands what the document answers to
// the reporter, and shows what the document holds: only what changed, so the caret of an
// untouched field stays. Its controls are its own; others ask it for what they mean.
class RosterView : public CaptionedScrollArea
{
public:
    // `subtract` takes a row's amount off its hit points, as Substract and Enter in the amount ask.
    RosterView(CombatDocument &document, OrderModel &order, CommandReporter &reporter,
               std::function<CommandResult(int row)> subtract, QWidget *parent = nullptr);
    ~RosterView() override;

    // The row `widget` belongs to (a row's field, box or button), or -1.
    int rowOf(const QWidget *widget) const;
    // The row of the control with the focus, or -1.
    int focusedRow() const;
    // Puts the caret in a row's field, scrolled into sight, unless a down row greys it.
    void focusField(int row, roster::Field field);
    // Puts the focus on the first control that differs between the two states.
    void focusFirstChange(const CombatState &from, const CombatState &to);
    // Puts the caret in a row's field with its text selected, scrolled into sight, as Go to
    // does; false when the field is greyed (a down row).
    bool goToField(int row, roster::Field field);
    // Commands of a row in its fields' menus.
    void setRowActions(const QList<QAction *> &actions);
    // The caret in the row's amount box, its text selected.
    bool goToAmount(int row);
    // The keyboard goes to the fighting-order list, where digits and Enter change nothing:
    // after the fight's commands, so that no stray key is an edit.
    void focusOrderList();
    // Scrolls the list's chosen line (the current combatant's) into sight.
    void showCurrentItem();
    // Scrolls a row into sight.
    void showRow(int row);
    // Puts a panel beside the general note, sharing its width, next after it in the focus order.
    void placeBesideNote(QWidget *panel, QWidget *focusedFirst);
    // The fields' and the note's menus offer the window's Undo and Redo.
    void setHistoryActions(QAction *undo, QAction *redo);
    // The page's least size, its column captions included.
    QSize contentSize();

private:
    template <typename Control>
    using RowControls = std::array<Control *, roster::RowCount>;

    void createControls();
    void layOutControls();
    void setToolTips();
    void setFocusOrder();
    void watchFields();
    void letItemsMove();
    void moveChosenItem(int step);
    void tellDocument();
    void stepSpin(int row, roster::Field field, int direction);
    void showState();
    void lightRow(int r, bool lit);
    FieldEdit *field(int row, roster::Field field) const;
    SpinButton *spinAfter(int row, roster::Field field) const;
    // The controls of row `r`, left to right.
    QList<QWidget *> rowControls(int r) const;

    CombatDocument &m_document;
    OrderModel &m_order;
    CommandReporter &m_reporter;
    std::function<CommandResult(int row)> m_subtract;

    std::array<RowControls<FieldEdit>, roster::FieldCount> m_fields{}; // by roster::Field
    RowControls<SpinButton> m_hitPointsSpins{}, m_armourClassSpins{};
    RowControls<QCheckBox> m_includes{};
    RowControls<QPushButton> m_clears{};
    RowControls<FieldEdit> m_amounts{};
    RowControls<QPushButton> m_substracts{};
    std::array<QLabel *, roster::FieldCount> m_captions{}; // by FieldView::captionNumber
    QListView *m_list = nullptr;
    QPushButton *m_calculate = nullptr, *m_nextTurn = nullptr;
    QLabel *m_turnLine = nullptr, *m_noteCaption = nullptr;
    NoteEdit *m_note = nullptr;

    QHBoxLayout *m_bottom = nullptr; // the list, its buttons and the note
    bool m_showing = false; // writing the document's state: no edit of the user's
};
