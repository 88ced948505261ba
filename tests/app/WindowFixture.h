#pragma once

#include "FakePrompts.h"
#include "WindowControls.h"
#include "app/shell/MainFrm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// The window's whole visible state: texts and enabled flags of every row's fields,
// each row's box (12 entries a row), then the note.
inline QStringList visibleState(MainFrm &w)
{
    QStringList state;
    for (int r = 0; r < roster::RowCount; ++r) {
        QList<FieldEdit *> fields;
        for (const roster::FieldInfo &info : roster::RowFields)
            fields << field(w, info.field, r);
        for (FieldEdit *edit : fields << amountBox(w, r))
            state << edit->text() + (edit->isEnabled() ? QStringLiteral("+") : QStringLiteral("-"));
        state << (includeBox(w, r)->isChecked() ? QStringLiteral("checked") : QStringLiteral("clear"));
    }
    state << generalNote(w)->text();
    return state;
}

// The texts of a list's items, top to bottom.
inline QStringList listTexts(const QAbstractItemView *list)
{
    QStringList texts;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        texts << list->model()->index(i, 0).data().toString();
    return texts;
}

// Types `text` into a field in place of what it held, as a user would.
inline void typeInto(QWidget *field, const QString &text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// How far a test takes its window before it starts: made only, shown and drawn, or drawn
// with the keyboard's focus too.
enum class Shown { No, Exposed, Active };

// The window keeps its choices in the user's settings file; a test program keeps them in an
// empty folder of its own.
inline void keepSettingsAside()
{
    static const QTemporaryDir folder;
    if (!folder.isValid())
        qFatal("no folder for the test's settings");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
}

// A main window with fake dialogs, as every widget test needs it.
struct WindowFixture
{
    WindowFixture()
    {
        keepSettingsAside();
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        window = std::make_unique<MainFrm>(document, std::move(fake));
        window->setProgramStarter([this](const QString &program) {
            startedPrograms.append(program);
            return true;
        });
    }

    // Shows the window as far as `shown` says and waits for the system; false if it never got there.
    [[nodiscard]] bool show(Shown shown)
    {
        if (shown == Shown::No)
            return true;
        window->show();
        return shown == Shown::Active ? QTest::qWaitForWindowActive(window.get())
                                      : QTest::qWaitForWindowExposed(window.get());
    }

    CombatDocument document; // outlives the window
    FakePrompts *prompts = nullptr;
    std::unique_ptr<MainFrm> window;
    QStringList startedPrograms;
};
