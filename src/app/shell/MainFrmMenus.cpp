// The menu bar, and the commands that do not touch the combat.
#include "app/shell/MainFrm.h"
#include "app/share/SharePanel.h"

#include "app/order/OrderModel.h"
#include "app/rolls/Roller.h"
#include "app/rolls/RollsPanel.h"
#include "app/roster/RosterView.h"
#include "app/shell/Calculator.h"
#include "app/shell/CombatFiles.h"
#include "app/shell/FightKeys.h"
#include "app/shell/Preferences.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
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
    mnuAddStatBlock = action(file, "mnuAddStatBlock", QStringLiteral("Add from Stat &Block..."),
                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    mnuAddFromLibrary = action(file, "mnuAddFromLibrary", QStringLiteral("Add from L&ibrary..."),
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
    mnuSave = action(file, "mnuSave", QStringLiteral("&Save Combat..."), QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveToLibrary = action(file, "mnuSaveToLibrary", QStringLiteral("Save Row &to Library"),
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    mnuLibraryFolders = action(file, "mnuLibraryFolders", QStringLiteral("Library &Folders..."), QKeySequence());
    mnuExit = action(file, "mnuExit", QStringLiteral("E&xit"), QKeySequence());

    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo = action(edit, "mnuUndo", QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuRedo = action(edit, "mnuRedo", QStringLiteral("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    mnuRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    mnuGoTo = action(edit, "mnuGoTo", QStringLiteral("&Go to..."), QKeySequence(Qt::CTRL | Qt::Key_G));

    QMenu *combat = menuBar()->addMenu(QStringLiteral("Co&mbat"));
    combat->setObjectName(QStringLiteral("mnuCombat"));
    mnuOrder = action(combat, "mnuOrder", QStringLiteral("Calculate &Fighting Order"), QKeySequence(Qt::Key_F5));
    mnuNextTurn = action(combat, "mnuNextTurn", QStringLiteral("&Next Turn"), QKeySequence(Qt::Key_F6));
    mnuPreviousTurn =
        action(combat, "mnuPreviousTurn", QStringLiteral("&Previous Turn"), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    mnuDelay = action(combat, "mnuDelay", QStringLiteral("De&lay"), QKeySequence(Qt::CTRL | Qt::Key_F6));
    mnuReady = action(combat, "mnuReady", QStringLiteral("R&eady"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6));
    mnuActNow = action(combat, "mnuActNow", QStringLiteral("Act No&w"), QKeySequence(Qt::Key_F12));
    // Function keys: no text field takes them for editing.
    mnuDamage = action(combat, "mnuDamage", QStringLiteral("&Damage..."), QKeySequence(Qt::Key_F8));
    mnuCondition = action(combat, "mnuCondition", QStringLiteral("Add &Condition..."), QKeySequence(Qt::Key_F9));
    mnuPlayerWindow = action(combat, "mnuPlayerWindow", QStringLiteral("Pla&yer Window"), QKeySequence(Qt::Key_F7));
    mnuShare = action(combat, "mnuShare", QStringLiteral("&Share with Players..."), QKeySequence(Qt::CTRL | Qt::Key_F7));
    mnuHide = action(combat, "mnuHide", QStringLiteral("&Hide from Players"), QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuHealthWords =
        action(combat, "mnuHealthWords", QStringLiteral("Health W&ords"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    mnuMonstersDieAtZero =
        action(combat, "mnuMonstersDieAtZero", QStringLiteral("Monsters Die at &0"), QKeySequence());
    mnuMonstersDieAtZero->setCheckable(true);
    mnuMonstersDieAtZero->setChecked(preferences::choices().monstersDieAtZero);
    m_document.setMonstersDieAtZero(mnuMonstersDieAtZero->isChecked());
    combat->addSeparator();
    mnuRollInitiative =
        action(combat, "mnuRollInitiative", QStringLiteral("Roll &Initiative"), QKeySequence(Qt::CTRL | Qt::Key_F5));
    mnuRollMonsters = action(combat, "mnuRollMonsters", QStringLiteral("Roll Initiative for &Monsters"),
                             QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
    // Not Ctrl+Alt+F5: desktops on Linux take that key to switch to a text console.
    mnuRollInitiativeAgain = action(combat, "mnuRollInitiativeAgain", QStringLiteral("Roll Ini&tiative Again"),
                                    QKeySequence(Qt::SHIFT | Qt::Key_F5));
    mnuInitiativeWalk = action(combat, "mnuInitiativeWalk", QStringLiteral("Enter Initiati&ve..."),
                               QKeySequence(Qt::CTRL | Qt::Key_I));
    mnuGroupInitiative = action(combat, "mnuGroupInitiative", QStringLiteral("Gro&up Initiative"), QKeySequence());
    mnuGroupInitiative->setCheckable(true);
    mnuGroupInitiative->setChecked(preferences::groupInitiative());
    mnuRollAttack = action(combat, "mnuRollAttack", QStringLiteral("Roll &Attack"), QKeySequence(Qt::Key_F3));
    mnuRollDamage = action(combat, "mnuRollDamage", QStringLiteral("Roll Dama&ge"), QKeySequence(Qt::Key_F4));
    // Shift+F4: beside Roll Damage, and no desktop takes it (Ctrl+F3 and Ctrl+F4 switch
    // desktops on some, Alt+F3 and Alt+F4 are the window's).
    mnuRollDice = action(combat, "mnuRollDice", QStringLiteral("&Quick Roll..."), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    mnuRollAgain = action(combat, "mnuRollAgain", QStringLiteral("&Roll Again"), QKeySequence(Qt::CTRL | Qt::Key_R));

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
}

void MainFrm::connectMenus()
{
    // The document's commands: what they answer goes to the reporter.
    auto command = [this](QAction *action, std::function<CommandResult()> body) {
        connect(action, &QAction::triggered, this, [this, body = std::move(body)] { m_reporter.report(body()); });
    };
    command(mnuNew, [this] { return m_document.newCombat(); });
    // The fight's commands leave the keyboard in the fighting-order list.
    auto fightCommand = [this](QAction *action, std::function<CommandResult()> body) {
        connect(action, &QAction::triggered, this, [this, body = std::move(body)] {
            const CombatState before = m_document.state();
            if (m_reporter.report(body()) && !(m_document.state() == before)) // a command that did nothing leaves the caret
                m_fightKeys->keyboardToFight();
        });
    };
    fightCommand(mnuOrder, [this] { return m_document.calculateOrder(); });
    fightCommand(mnuNextTurn, [this] { return m_document.nextTurn(); });
    fightCommand(mnuPreviousTurn, [this] { return m_document.previousTurn(); });
    fightCommand(mnuDelay, [this] { return m_document.putOffTurn(combat::TurnKind::Delayed); });
    fightCommand(mnuReady, [this] { return m_document.putOffTurn(combat::TurnKind::Readied); });
    connect(mnuActNow, &QAction::triggered, this, [this] { m_fightKeys->actNow(); });
    connect(mnuUndo, &QAction::triggered, this, [this] { undoOrRedo(true); });
    connect(mnuRedo, &QAction::triggered, this, [this] { undoOrRedo(false); });
    connect(mnuDamage, &QAction::triggered, this, [this] { m_fightKeys->openBar(TargetBar::Mode::Damage); });
    connect(mnuCondition, &QAction::triggered, this, [this] { m_fightKeys->openBar(TargetBar::Mode::Condition); });
    connect(mnuPlayerWindow, &QAction::triggered, this, &MainFrm::showPlayers);
    connect(mnuShare, &QAction::triggered, this, &MainFrm::shareWithPlayers);

    connect(mnuHide, &QAction::triggered, this, [this] { m_fightKeys->hideFromPlayers(); });
    // Roll Initiative and Roll Initiative for Monsters roll those who have no roll yet.
    auto roll = [this](QAction *action, bool monstersOnly, bool again) {
        connect(action, &QAction::triggered, this, [this, monstersOnly, again] {
            m_roller->rollInitiative({monstersOnly, again, mnuGroupInitiative->isChecked()});
        });
    };
    roll(mnuRollInitiative, false, false);
    roll(mnuRollMonsters, true, false);
    roll(mnuRollInitiativeAgain, false, true);
    // A choice the file cannot keep lasts until the program ends, and the user is told.
    auto keep = [this](QAction *check, bool (*set)(bool), const QString &name) {
        connect(check, &QAction::toggled, this, [this, set, name](bool on) {
            if (!set(on))
                m_prompts->message(this,
                                   QStringLiteral("%1 stays %2 until Fraymark ends: %3 could not be written.")
                                       .arg(name, on ? QStringLiteral("on") : QStringLiteral("off"), preferences::fileName()),
                                   QStringLiteral("Fraymark"), Prompts::Icon::Warning);
        });
    };
    keep(mnuGroupInitiative, preferences::setGroupInitiative, QStringLiteral("Group Initiative"));
    keep(mnuMonstersDieAtZero, preferences::setMonstersDieAtZero, QStringLiteral("Monsters Die at 0"));
    connect(mnuMonstersDieAtZero, &QAction::toggled, this, [this](bool on) { m_document.setMonstersDieAtZero(on); });
    connect(mnuRollAttack, &QAction::triggered, this,
            [this] { m_roller->rollRow(m_fightKeys->commandRow(), combat::RollKind::Attack); });
    connect(mnuRollDamage, &QAction::triggered, this,
            [this] { m_roller->rollRow(m_fightKeys->commandRow(), combat::RollKind::Damage); });
    connect(mnuRollDice, &QAction::triggered, this, [this] {
        m_rollsPanel->diceField()->setFocus(Qt::ShortcutFocusReason);
        m_rollsPanel->diceField()->selectAll();
    });
    connect(mnuRollAgain, &QAction::triggered, this, [this] { m_roller->rollAgain(0); }); // the newest line
    // Nothing to roll again before the first roll.
    mnuRollAgain->setEnabled(false);
    connect(&m_roller->rolls(), &QAbstractItemModel::rowsInserted, mnuRollAgain, [this] { mnuRollAgain->setEnabled(true); });
    // A view setting, no step of the history.
    connect(mnuHealthWords, &QAction::triggered, m_order, &OrderModel::nextHealthWords);
    for (QAction *load : {mnuLoad, mnuLoad1})
        connect(load, &QAction::triggered, this, [this] { m_files->askAndLoad(); });
    for (QAction *save : {mnuSave, mnuSave1})
        connect(save, &QAction::triggered, this, [this] { m_files->save(); });
    connect(mnuAdd, &QAction::triggered, this, [this] {
        const roster::Roster before = m_document.roster();
        m_files->askAndAdd();
        m_fightKeys->walkNewcomers(before); // the newcomers' initiative asked at once
    });
    connect(mnuAddStatBlock, &QAction::triggered, this,
            [this] { addFromStatBlocks(QGuiApplication::clipboard()->text()); });
    connect(mnuAddFromLibrary, &QAction::triggered, this, [this] { m_fightKeys->openBar(TargetBar::Mode::Library); });
    connect(mnuSaveToLibrary, &QAction::triggered, this, &MainFrm::saveRowToLibrary);
    connect(mnuLibraryFolders, &QAction::triggered, this, &MainFrm::chooseLibraryFolders);
    connect(mnuGoTo, &QAction::triggered, this, [this] { m_fightKeys->openBar(TargetBar::Mode::GoTo); });
    connect(mnuInitiativeWalk, &QAction::triggered, this, [this] { m_fightKeys->walkInitiative(); });
    connect(mnuExit, &QAction::triggered, this, &QWidget::close);
    connect(mnuCalc, &QAction::triggered, this, &MainFrm::startCalculator);
    connect(mnuHelp, &QAction::triggered, this, &MainFrm::showHelp);
    connect(mnuAbout, &QAction::triggered, this, &MainFrm::showAbout);
}

const RollsModel &MainFrm::rolls() const
{
    return m_roller->rolls();
}

void MainFrm::showAbout()
{
    const QString text = QStringLiteral("Fraymark made by Vesmar (spellchecked :-P).\r\n"
                                        "Helper for organizing d20 game combats.\r\n"
                                        "Thanks to Tembry for the save and load components.\r\n"
                                        "Enjoy!!");
    m_prompts->message(this, text, QStringLiteral("Fraymark"), Prompts::Icon::Information);
}

void MainFrm::showHelp()
{
    m_prompts->message(this, QStringLiteral("I refuse to write a help file for such a simple program."),
                       QStringLiteral("..."), Prompts::Icon::Information);
}

void MainFrm::startCalculator()
{
    const QString calculator = findCalculator();
    if (calculator.isEmpty())
        m_reporter.refuse(QStringLiteral("No calculator program was found."));
    else if (!m_startProgram(calculator))
        m_reporter.refuse(QStringLiteral("The calculator %1 could not be started.").arg(calculator));
}
