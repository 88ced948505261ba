// The menu bar and the commands that do not touch the roster.
#include "app/MainFrm.h"

#include "app/Calculator.h"

#include <QMenuBar>

void MainFrm::createMenus()
{
    auto action = [this](QMenu *menu, const char *name, const QString &caption, const QKeySequence &shortcut) {
        QAction *item = menu->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setShortcut(shortcut);
        return item;
    };

    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuNew = action(file, "mnuNew", QStringLiteral("&New Combat"), QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuLoad = action(file, "mnuLoad", QStringLiteral("&Load Combat..."), QKeySequence(Qt::CTRL | Qt::Key_L));
    mnuAdd = action(file, "mnuAdd", QStringLiteral("&Add Combatants..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    mnuSave = action(file, "mnuSave", QStringLiteral("&Save Combat..."), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuExit = action(file, "mnuExit", QStringLiteral("E&xit"), QKeySequence());

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo = action(edit, "mnuUndo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = action(edit, "mnuRedo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});

    QMenu *combat = menuBar()->addMenu(QStringLiteral("Co&mbat"));
    combat->setObjectName(QStringLiteral("mnuCombat"));
    mnuOrder = action(combat, "mnuOrder", QStringLiteral("&Calculate Fighting Order"), QKeySequence(Qt::Key_F5));
    mnuNextTurn = action(combat, "mnuNextTurn", QStringLiteral("&Next Turn"), QKeySequence(Qt::Key_F6));
    mnuPreviousTurn =
        action(combat, "mnuPreviousTurn", QStringLiteral("&Previous Turn"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    // A function key: no text field takes it for editing.
    mnuDamage = action(combat, "mnuDamage", QStringLiteral("&Damage Current Combatant"), QKeySequence(Qt::Key_F8));
    mnuCondition = action(combat, "mnuCondition", QStringLiteral("Add &Condition..."), QKeySequence(Qt::Key_F9));
    mnuPlayerWindow = action(combat, "mnuPlayerWindow", QStringLiteral("&Player Window"), QKeySequence(Qt::Key_F7));

    // "Load", "Save" and "Calculator" are commands on the menu bar itself.
    auto barCommand = [this](const char *name, const QString &caption) {
        QAction *item = menuBar()->addAction(caption);
        item->setObjectName(QLatin1String(name));
        return item;
    };
    mnuLoad1 = barCommand("mnuLoad1", QStringLiteral("&Load"));
    mnuSave1 = barCommand("mnuSave1", QStringLiteral("&Save"));
    mnuCalc = barCommand("mnuCalc", QStringLiteral("&Calculator"));

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp1"));
    mnuHelp = action(help, "mnuHelp", QStringLiteral("&Help"), QKeySequence(Qt::Key_F1));
    mnuAbout = action(help, "mnuAbout", QStringLiteral("&About"), QKeySequence(Qt::Key_F2));

    connect(mnuNew, &QAction::triggered, this, &MainFrm::mnuNew_Click);
    connect(mnuUndo, &QAction::triggered, this, &MainFrm::mnuUndo_Click);
    connect(mnuRedo, &QAction::triggered, this, &MainFrm::mnuRedo_Click);
    connect(mnuOrder, &QAction::triggered, this, &MainFrm::Command1_Click);
    connect(mnuNextTurn, &QAction::triggered, this, &MainFrm::mnuNextTurn_Click);
    connect(mnuPreviousTurn, &QAction::triggered, this, &MainFrm::mnuPreviousTurn_Click);
    connect(mnuDamage, &QAction::triggered, this, &MainFrm::mnuDamage_Click);
    connect(mnuCondition, &QAction::triggered, this, &MainFrm::mnuCondition_Click);
    connect(mnuPlayerWindow, &QAction::triggered, this, &MainFrm::mnuPlayerWindow_Click);
    connect(mnuLoad, &QAction::triggered, this, &MainFrm::mnuLoad_Click);
    connect(mnuAdd, &QAction::triggered, this, &MainFrm::mnuAdd_Click);
    connect(mnuSave, &QAction::triggered, this, &MainFrm::mnuSave_Click);
    connect(mnuExit, &QAction::triggered, this, &MainFrm::mnuExit_Click);
    connect(mnuLoad1, &QAction::triggered, this, &MainFrm::mnuLoad1_Click);
    connect(mnuSave1, &QAction::triggered, this, &MainFrm::mnuSave1_Click);
    connect(mnuCalc, &QAction::triggered, this, &MainFrm::mnuCalc_Click);
    connect(mnuHelp, &QAction::triggered, this, &MainFrm::mnuHelp_Click);
    connect(mnuAbout, &QAction::triggered, this, &MainFrm::mnuAbout_Click);
    updateUndoActions();
}

void MainFrm::mnuAbout_Click()
{
    runHandler([this] {
        const QString text = QStringLiteral("Fraymark made by Vesmar (spellchecked :-P).\r\n"
                                            "Helper for organizing d20 game combats.\r\n"
                                            "Thanks to Tembry for the save and load components.\r\n"
                                            "Enjoy!!");
        m_prompts->message(this, text, QStringLiteral("Fraymark"), Prompts::Icon::Information);
    });
}

void MainFrm::mnuHelp_Click()
{
    runHandler([this] {
        m_prompts->message(this, QStringLiteral("I refuse to write a help file for such a simple program."),
                           QStringLiteral("..."), Prompts::Icon::Information);
    });
}

void MainFrm::mnuCalc_Click()
{
    runHandler([this] {
        const QString calculator = findCalculator();
        if (calculator.isEmpty())
            showError(QStringLiteral("No calculator program was found."));
        else if (!m_startProgram(calculator))
            showError(QStringLiteral("The calculator %1 could not be started.").arg(calculator));
    });
}

void MainFrm::mnuExit_Click()
{
    runHandler([this] { close(); });
}
