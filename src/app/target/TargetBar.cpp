#include "app/target/TargetBar.h"

#include "app/dialogs/CommandReporter.h"
#include "app/target/BarText.h"
#include "combat/Amount.h"
#include "combat/Conditions.h"
#include "combat/Targets.h"
#include "document/CombatDocument.h"
#include "roster/ShownText.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

#include <cmath>

namespace {

// How much of a name the bar shows: enough to tell twins apart on a small screen.
constexpr qsizetype BarNameLength = 40;

const QString DamageHint = QStringLiteral(
    "Letters of a name or #row choose, \u2191\u2193 step, Space or Ctrl+Enter adds another target, Shift+Space one "
    "that saved (half); Enter goes to the amount (2d6+3, a minus heals, 6d6/2 halves, t8 temporary, n7 nonlethal, "
    "= the newest roll), "
    "Enter again strikes; Esc closes.");
const QString ConditionHint = QStringLiteral(
    "Letters of a name or #row choose, \u2191\u2193 step, Space or Ctrl+Enter adds another target; "
    "Enter goes to the condition, then its rounds (1 to %1), Enter again adds it; Esc closes.")
                                  .arg(combat::MaximumConditionRounds);
const QString ActNowHint = QStringLiteral(
    "Letters of a name or #row choose who acts now, \u2191\u2193 step; Enter has them act before %1; Esc closes.");
const QString GoToHint = QStringLiteral(
    "Letters of a name or #row choose, \u2191\u2193 step; Enter goes to the name; Alt+P hit points, "
    "Alt+I initiative, Alt+A AC, Alt+R note, Alt+U amount, Alt+N name; Esc closes.");
const QString WalkHint =
    QStringLiteral("Type the roll and Enter; r rolls it; Enter with nothing skips; Esc stops.");
const QString LibraryHint = QStringLiteral(
    "Letters of a monster's name choose among the library's stat blocks and saved rows, \u2191\u2193 step; Enter goes "
    "to the count, Enter again adds them to the free rows; Esc closes.");
const QString ChooseFirst = QStringLiteral("Choose a target first: letters of its name, #row, or \u2191\u2193.");

} // namespace

namespace bar {

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

QString isolated(const QString &name)
{
    QString shown = roster::shownText(name, BarNameLength);
    shown.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069) || u == 0x200e || u == 0x200f
            || u == 0x061c;
    });
    return u'\u2068' + shown + u'\u2069';
}

} // namespace bar

using bar::isEnter;
using bar::isolated;

TargetBar::TargetBar(CombatDocument &document, CommandReporter &reporter, QWidget *parent)
    : QFrame(parent)
    , m_document(document)
    , m_reporter(reporter)
    , m_choice(document)
{
    createControls();
    for (QWidget *keys : {static_cast<QWidget *>(m_target), static_cast<QWidget *>(m_amount),
                          static_cast<QWidget *>(m_condition), static_cast<QWidget *>(m_rounds)})
        keys->installEventFilter(this);
    connect(m_target, &QLineEdit::textEdited, this, &TargetBar::choose);
    // The hit points shown, and who may still be struck, follow every change, whoever made it.
    connect(&m_document, &CombatDocument::changed, this, &TargetBar::followTheFight);
    hide();
}

void TargetBar::open(Mode mode, int row)
{
    m_mode = mode;
    const bool blow = mode == Mode::Damage;
    const bool library = mode == Mode::Library;
    const QString title = blow                  ? QStringLiteral("Damage")
                          : mode == Mode::Condition ? QStringLiteral("Condition")
                          : mode == Mode::ActNow    ? QStringLiteral("Act Now")
                          : mode == Mode::GoTo      ? QStringLiteral("Go to")
                          : library                 ? QStringLiteral("Library")
                                                    : QStringLiteral("Initiative");
    m_title->setText(title);
    setAccessibleName(title + QStringLiteral(" bar"));
    m_targetCaption->setText(library ? QStringLiteral("&Monster:") : QStringLiteral("&Target:"));
    m_target->setAccessibleName(library ? QStringLiteral("Monster") : QStringLiteral("Target"));
    m_target->setPlaceholderText(library ? QStringLiteral("letters of its name") : QStringLiteral("name or #row"));
    m_amountCaption->setText(library ? QStringLiteral("&Count:") : QStringLiteral("&Amount:"));
    m_amount->setAccessibleName(library ? QStringLiteral("Count") : QStringLiteral("Amount"));
    m_amount->setPlaceholderText(library ? QStringLiteral("1") : QStringLiteral("7, -5, 14/2"));
    m_blowPage->setVisible(blow || library);
    m_libraryMatches.clear();
    m_libraryPick = -1;
    m_conditionPage->setVisible(mode == Mode::Condition);
    m_choice.setOffer(mode == Mode::ActNow ? TargetChoice::Offer::Waiting
                      : mode == Mode::GoTo ? TargetChoice::Offer::Named
                                           : TargetChoice::Offer::Fight);
    m_choice.start(row);
    // setText, not clear(): an earlier text is no Ctrl+Z away.
    m_target->setText(QString());
    m_amount->setText(QString());
    m_condition->setText(QString());
    m_rounds->setText(QStringLiteral("1"));
    static_cast<QStringListModel *>(m_condition->completer()->model())->setStringList(knownConditions());
    if (QWidget *focus = QApplication::focusWidget(); focus && !isAncestorOf(focus))
        m_returnFocus = focus;
    show();
    m_target->setFocus(Qt::ShortcutFocusReason);
    showChoice();
    const QString problems = library && m_library.takeProblems ? m_library.takeProblems() : QString();
    if (!problems.isEmpty())
        say(problems);
    else if (row >= 0 && m_choice.chosen() < 0 && !m_document.row(row).name.isEmpty() && !library)
        say(notOffered(row));
    else
        say(hint());
}

void TargetBar::close()
{
    // The focus goes back first, so Qt does not hand it to some other control on hiding: to
    // where it was, or, when the blow greyed that field (its row went down), to the next
    // control that takes it, in the row's own order.
    auto takesFocus = [this](QWidget *w) {
        return w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !isAncestorOf(w);
    };
    QWidget *back = m_returnFocus;
    if (back && !takesFocus(back)) {
        QWidget *next = back->nextInFocusChain();
        while (next != back && !takesFocus(next))
            next = next->nextInFocusChain();
        back = next;
    }
    if (back && takesFocus(back))
        back->setFocus(Qt::OtherFocusReason);
    hide();
    emit closed();
}

void TargetBar::closeToFight()
{
    m_returnFocus = nullptr;
    emit fightGoesOn(); // before the bar hides, so the focus never passes through a field
    hide();
    emit closed();
}

QString TargetBar::status() const
{
    return m_status->text();
}

bool TargetBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) {
        if (m_mode == Mode::GoTo)
            closeToFight(); // gone nowhere: back to the fight
        else
            close();
        return true;
    }
    if (watched == m_target)
        return targetKey(key);
    if (watched == m_amount)
        return amountKey(key);
    return conditionKey(key);
}

bool TargetBar::targetKey(QKeyEvent *key)
{
    if (m_mode == Mode::Initiative)
        return walkKey(key);
    if (m_mode == Mode::Library)
        return libraryKey(key);
    if (m_mode == Mode::GoTo && goToKey(key))
        return true;
    const QString typed = m_target->text();
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        m_choice.step(key->key() == Qt::Key_Up ? -1 : 1);
        m_target->clear();
        showChoice();
        return true;
    }
    if (m_mode == Mode::ActNow) {
        // One acts at a time, and nothing more is asked: Enter acts, Space and Tab add nothing.
        if (isEnter(key))
            apply();
        return isEnter(key) || key->key() == Qt::Key_Space || key->key() == Qt::Key_Tab
            || key->key() == Qt::Key_Backtab;
    }
    if (isEnter(key) && key->modifiers().testFlag(Qt::ControlModifier)) {
        addChosen();
        return true;
    }
    if (isEnter(key) || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        moveToDetails();
        return true;
    }
    if (key->key() == Qt::Key_Space && key->modifiers().testFlag(Qt::ShiftModifier) && m_mode == Mode::Damage) {
        addChosen(true); // made its save: half the damage
        return true;
    }
    if (key->key() == Qt::Key_Space) {
        // A blank that can go on with a name ("Wolf 2") is typed; any other adds the target.
        if (typed.trimmed().isEmpty() || !combat::continuesSomeName(m_choice.offered(), m_document.roster(), typed)) {
            addChosen();
            return true;
        }
        say(QStringLiteral("The space went into the name, as a name goes on with it; Ctrl+Enter adds the target."));
        return false;
    }
    // Digits or a sign first: the chosen target stays, and they are the amount.
    const QString text = key->text();
    if (m_mode == Mode::Damage && typed.isEmpty() && text.size() == 1
        && (text.front().isDigit() || text.front() == u'-')) {
        if (moveToDetails())
            m_amount->setText(text);
        return true;
    }
    return false;
}

bool TargetBar::amountKey(QKeyEvent *key)
{
    if (isEnter(key)) {
        apply();
        return true;
    }
    if (key->text() == u"=" && m_mode == Mode::Damage) {
        takeNewestTotal();
        return true;
    }
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        m_target->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

void TargetBar::choose(const QString &typed)
{
    if (m_mode == Mode::Library) {
        chooseFromLibrary(typed);
        return;
    }
    if (typed.trimmed().isEmpty() || m_mode == Mode::Initiative)
        return; // typed away: the last choice stands
    const bool found = m_choice.choose(typed);
    showChoice();
    if (found) {
        say(hint());
        return;
    }
    // Say why a name that is there is not offered.
    QList<int> named;
    for (int r = 0; r < roster::RowCount; ++r) {
        if (!m_document.row(r).name.isEmpty())
            named.append(r);
    }
    const int there = combat::findTarget(named, m_document.roster(), typed);
    say(there >= 0 ? notOffered(there)
                   : QStringLiteral("No combatant in the fight answers to \u201c%1\u201d.").arg(isolated(typed.trimmed())));
}

void TargetBar::addChosen(bool saved)
{
    if (!m_choice.add(saved)) {
        say(ChooseFirst);
        return;
    }
    m_target->clear();
    showChoice();
    say(hint());
}

bool TargetBar::moveToDetails()
{
    if (m_choice.targets().isEmpty()) {
        say(ChooseFirst);
        return false;
    }
    QLineEdit *next = m_mode == Mode::Damage ? m_amount : m_condition;
    next->setFocus(Qt::TabFocusReason);
    next->selectAll();
    return true;
}

void TargetBar::apply()
{
    if (m_mode == Mode::Library) {
        addFromLibrary();
        return;
    }
    // A change since the choice has already dropped whoever left; what is left is sound.
    const QList<int> rows = m_choice.targets();
    if (rows.isEmpty()) {
        say(ChooseFirst);
        m_target->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_mode == Mode::Damage)
        applyBlow(rows);
    else if (m_mode == Mode::Condition)
        applyCondition(rows);
    else if (m_reporter.report(m_document.actNow(rows.front()), [this](const QString &why) { say(why); }))
        closeToFight();
}

void TargetBar::followTheFight()
{
    if (!isVisible())
        return;
    if (m_mode == Mode::Initiative) {
        // A load, an undo or a Clear under the question: ask anew, or on.
        if (m_walkRows.isEmpty() || !stillAsked(m_walkRows.first()))
            askNext();
        return;
    }
    if (m_mode == Mode::Library)
        return; // the roster is not what it chooses from
    const QStringList gone = m_choice.follow();
    showChoice();
    if (gone.isEmpty())
        return;
    QStringList names;
    for (const QString &name : gone)
        names.append(isolated(name));
    say(QStringLiteral("%1 left the fight or the row and is no longer a target.").arg(names.join(QStringLiteral(", "))));
}

void TargetBar::showChoice()
{
    if (m_mode == Mode::Library) {
        showLibraryChoice();
        return;
    }
    auto describe = [this](int r) {
        const roster::Row &row = m_document.row(r);
        return QStringLiteral("%1 (row %2, %3 HP%4)")
            .arg(isolated(row.name), QString::number(r + 1),
                 row.hp.isEmpty() ? QStringLiteral("no") : roster::shownText(row.hp, 16),
                 m_mode == Mode::Damage && m_choice.saved(r) ? QStringLiteral(", saved") : QString());
    };
    QStringList aimed;
    for (const int r : m_choice.targets())
        aimed.append(describe(r));
    QString text = aimed.isEmpty() ? QStringLiteral("Nobody chosen") : aimed.join(QStringLiteral(", "));
    if (m_choice.chosen() >= 0 && !m_choice.chosenCounts())
        text += QStringLiteral("; Space adds ") + describe(m_choice.chosen());
    if (m_choice.chosen() >= 0)
        emit chosen(m_choice.chosen());
    m_shown->setText(text);
    m_shown->setToolTip(text);
    // Screen readers hear whom the blow goes to from every field of the bar.
    for (QLineEdit *field : {m_target, m_amount, m_condition, m_rounds}) {
        field->setAccessibleDescription(text);
        QAccessibleEvent described(field, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
    }
}

void TargetBar::say(const QString &text)
{
    m_status->setText(text);
}

QString TargetBar::hint() const
{
    if (m_mode == Mode::GoTo)
        return GoToHint;
    if (m_mode == Mode::Initiative)
        return WalkHint;
    if (m_mode == Mode::Library)
        return LibraryHint;
    if (m_mode == Mode::ActNow) {
        const int current = m_document.currentRow();
        return ActNowHint.arg(current >= 0 ? isolated(m_document.row(current).name) : QStringLiteral("the current combatant"));
    }
    return m_mode == Mode::Damage ? DamageHint : ConditionHint;
}

QString TargetBar::notOffered(int row) const
{
    const roster::Row &held = m_document.row(row);
    if (m_mode == Mode::ActNow && !held.down && held.check != 0)
        return QStringLiteral("%1 is neither delaying nor ready; choose one who is.").arg(isolated(held.name));
    return QStringLiteral("%1 is %2 and not offered; choose another target.")
        .arg(isolated(held.name), held.down ? QStringLiteral("down") : QStringLiteral("out of the fight"));
}

