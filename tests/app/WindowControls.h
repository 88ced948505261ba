#pragma once

// The main window's controls, found by their object names as a user's tools find them:
// the tests reach no member of the window.
#include "app/roster/RosterView.h"
#include "app/shell/MainFrm.h"
#include "app/widgets/FieldEdit.h"
#include "app/widgets/NoteEdit.h"
#include "app/widgets/SpinButton.h"
#include "roster/Fields.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QString>

// The one child of that name and kind. A missing or doubled control is a fault of the
// test's set-up, not a result: it stops the test there.
template <typename Control = QWidget>
Control *control(const QWidget &window, const QString &objectName)
{
    const QList<Control *> found = window.findChildren<Control *>(objectName);
    if (found.size() != 1)
        qFatal("%s: %lld controls of kind %s named \"%s\"", qPrintable(window.objectName()),
               static_cast<long long>(found.size()), Control::staticMetaObject.className(), qPrintable(objectName));
    return found.constFirst();
}

namespace window_controls {

// The name of a control of one of the window's control arrays: "ChrName_3", "Label1_6".
inline QString indexedName(const char *array, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index);
}

// The array of each field's controls. The arrays keep their old names: the column
// captioned "Fort" is ChrWill, "Reflx" ChrFort and "Will" ChrRex.
constexpr const char *fieldArray(roster::Field f)
{
    switch (f) {
    case roster::Field::Name: return "ChrName";
    case roster::Field::HitPoints: return "ChrHP";
    case roster::Field::ArmourClass: return "ChrAC";
    case roster::Field::Initiative: return "ChrIni";
    case roster::Field::Note: return "ChrNote";
    case roster::Field::Fort: return "ChrWill";
    case roster::Field::Reflex: return "ChrFort";
    case roster::Field::Will: return "ChrRex";
    case roster::Field::Attack: return "ChrAttack";
    case roster::Field::Damage: return "ChrDamage";
    }
    return nullptr;
}

} // namespace window_controls

// A row's controls.
inline FieldEdit *field(const MainFrm &w, roster::Field f, int row)
{
    return control<FieldEdit>(w, window_controls::indexedName(window_controls::fieldArray(f), row));
}
inline FieldEdit *amountBox(const MainFrm &w, int row)
{
    return control<FieldEdit>(w, window_controls::indexedName("SubsTxt", row));
}
inline QPushButton *substractButton(const MainFrm &w, int row)
{
    return control<QPushButton>(w, window_controls::indexedName("SubsCmd", row));
}
inline QPushButton *clearButton(const MainFrm &w, int row)
{
    return control<QPushButton>(w, window_controls::indexedName("cmdClear", row));
}
inline QCheckBox *includeBox(const MainFrm &w, int row)
{
    return control<QCheckBox>(w, window_controls::indexedName("ChrChk", row));
}
inline SpinButton *hitPointsSpin(const MainFrm &w, int row)
{
    return control<SpinButton>(w, window_controls::indexedName("UpDown1", row));
}
inline SpinButton *armourClassSpin(const MainFrm &w, int row)
{
    return control<SpinButton>(w, window_controls::indexedName("UpDown2", row));
}

// The caption at `index` of the captions' array (the order of the first layout, not of
// the columns).
inline QLabel *columnCaption(const MainFrm &w, int index)
{
    return control<QLabel>(w, window_controls::indexedName("Label1", index));
}

// Under the rows: the fighting order, its buttons, the turn line and the general note.
inline QListView *orderList(const MainFrm &w)
{
    return control<QListView>(w, QStringLiteral("List"));
}
inline QPushButton *calculateButton(const MainFrm &w)
{
    return control<QPushButton>(w, QStringLiteral("Command1"));
}
inline QPushButton *nextTurnButton(const MainFrm &w)
{
    return control<QPushButton>(w, QStringLiteral("NextTurnCmd"));
}
inline QLabel *turnLabel(const MainFrm &w)
{
    return control<QLabel>(w, QStringLiteral("RoundLbl"));
}
inline NoteEdit *generalNote(const MainFrm &w)
{
    return control<NoteEdit>(w, QStringLiteral("NotesTxt"));
}
inline QLabel *noteCaption(const MainFrm &w)
{
    return control<QLabel>(w, QStringLiteral("Label2"));
}

// A command of the menus, "mnuSave".
inline QAction *action(const MainFrm &w, const char *objectName)
{
    return control<QAction>(w, QLatin1String(objectName));
}
