#pragma once

#include "app/widgets/CaptionedScrollArea.h"
#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"
#include "document/CombatState.h"
#include "roster/Fields.h"

#include <array>
#include <functional>

class CombatDocument;
class OrderModel;
class QAction;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QListView;
class QPushButton;
class SpinButton;

template <typename Control>
using RowControls = std::array<Control *, roster::RowCount>;

// The main window's page: the nineteen rows of the roster under their captions, the
// fighting order with its buttons and the turn line, and the general note. It tells the
// document what the user did the moment it happens, and shows what the document holds:
// only what changed, so the caret of an untouched field stays.
class RosterView : public CaptionedScrollArea
{
public:
    // Runs a command; an error it throws is shown, and the program goes on.
    using Runner = std::function<void(const std::function<void()> &)>;

    RosterView(CombatDocument &document, OrderModel &order, Runner run, QWidget *parent = nullptr);

    FieldEdit *field(int row, roster::Field field) const;
    // The controls of row `r`, left to right.
    QList<QWidget *> rowControls(int r) const;
    // The row of the control with the focus, or -1.
    int focusedRow() const;
    // Puts the focus on the first control that differs between the two states.
    void focusFirstChange(const CombatState &from, const CombatState &to);
    // Puts a panel beside the general note, sharing its width, next after it in the focus order.
    void placeBesideNote(QWidget *panel, QWidget *focusedFirst);
    // The fields' and the note's menus offer the window's Undo and Redo.
    void setHistoryActions(QAction *undo, QAction *redo);

    // The row controls, one element per row 0 to 18.
    RowControls<FieldEdit> ChrName{}, ChrHP{}, ChrIni{}, ChrAC{}, ChrNote{};
    RowControls<FieldEdit> ChrWill{}, ChrFort{}, ChrRex{}, ChrAttack{}, ChrDamage{};
    RowControls<QCheckBox> ChrChk{};
    RowControls<QPushButton> cmdClear{};
    RowControls<FieldEdit> SubsTxt{};
    RowControls<QPushButton> SubsCmd{};
    RowControls<SpinButton> UpDown1{}, UpDown2{};

    std::array<QLabel *, roster::FieldCount> Label1{};
    QListView *List = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *NextTurnCmd = nullptr;
    QLabel *RoundLbl = nullptr;
    QLabel *Label2 = nullptr;
    NoteEdit *NotesTxt = nullptr;

private:
    void createControls();
    void layOutControls();
    void setToolTips();
    void setFocusOrder();
    void tellDocument();
    void stepSpin(int row, roster::Field field, int direction);
    void showState();
    void showTurn();
    void lightRow(int r, bool lit);

    CombatDocument &m_document;
    OrderModel &m_order;
    Runner m_run;
    QHBoxLayout *m_bottom = nullptr; // the list, its buttons and the note
    bool m_showing = false; // writing the document's state: no edit of the user's
};
