#include "app/target/TargetBar.h"

#include "combat/Conditions.h"
#include "combat/Targets.h"
#include "document/CombatDocument.h"
#include "roster/ShownText.h"

#include <QAccessible>
#include <QApplication>
#include <QCompleter>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

// How much of a name the bar shows: enough to tell twins apart on a small screen.
constexpr qsizetype BarNameLength = 40;

const QString DamageHint = QStringLiteral(
    "Letters of a name or #row choose, \u2191\u2193 step, Space adds another target; "
    "Enter goes to the amount (a minus heals, 14/2 halves), Enter again strikes; Esc closes.");
const QString ConditionHint = QStringLiteral(
    "Letters of a name or #row choose, \u2191\u2193 step, Space adds another target; "
    "Enter goes to the condition, then its rounds, Enter again adds it; Esc closes.");

bool isEnter(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

QLabel *captionFor(const QString &text, QWidget *buddy)
{
    auto *caption = new QLabel(text);
    caption->setBuddy(buddy);
    return caption;
}

} // namespace

TargetBar::TargetBar(CombatDocument &document, QWidget *parent)
    : QFrame(parent)
    , m_document(document)
{
    setObjectName(QStringLiteral("TargetBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    m_title = new QLabel;
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_target = new QLineEdit;
    m_target->setObjectName(QStringLiteral("TargetTxt"));
    m_target->setAccessibleName(QStringLiteral("Target"));
    m_target->setPlaceholderText(QStringLiteral("name or #row"));
    m_choice = new QLabel;
    m_choice->setObjectName(QStringLiteral("TargetChoice"));
    m_choice->setAccessibleName(QStringLiteral("Chosen target"));
    m_choice->setTextFormat(Qt::PlainText);
    m_choice->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    m_choice->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_amount = new QLineEdit;
    m_amount->setObjectName(QStringLiteral("BlowTxt"));
    m_amount->setAccessibleName(QStringLiteral("Amount"));
    m_amount->setPlaceholderText(QStringLiteral("7, -5, 14/2"));
    m_amount->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    m_condition = new QLineEdit;
    m_condition->setObjectName(QStringLiteral("ConditionTxt"));
    m_condition->setAccessibleName(QStringLiteral("Condition"));
    auto *completer = new QCompleter(new QStringListModel(this), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    m_condition->setCompleter(completer);
    m_rounds = new QSpinBox;
    m_rounds->setObjectName(QStringLiteral("RoundsBox"));
    m_rounds->setAccessibleName(QStringLiteral("Rounds"));
    m_rounds->setRange(1, combat::MaximumConditionRounds);

    m_blowPage = new QWidget;
    auto *blowRow = new QHBoxLayout(m_blowPage);
    blowRow->setContentsMargins(0, 0, 0, 0);
    blowRow->addWidget(captionFor(QStringLiteral("&Amount:"), m_amount));
    blowRow->addWidget(m_amount);
    m_conditionPage = new QWidget;
    auto *conditionRow = new QHBoxLayout(m_conditionPage);
    conditionRow->setContentsMargins(0, 0, 0, 0);
    conditionRow->addWidget(captionFor(QStringLiteral("&Condition:"), m_condition));
    conditionRow->addWidget(m_condition);
    conditionRow->addWidget(captionFor(QStringLiteral("&Rounds:"), m_rounds));
    conditionRow->addWidget(m_rounds);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("TargetStatus"));
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_title);
    controls->addSpacing(fontMetrics().averageCharWidth() * 2);
    controls->addWidget(captionFor(QStringLiteral("&Target:"), m_target));
    controls->addWidget(m_target);
    // The amount stays where it is while the choice beside it changes.
    controls->addWidget(m_blowPage);
    controls->addWidget(m_conditionPage);
    controls->addSpacing(fontMetrics().averageCharWidth() * 2);
    controls->addWidget(m_choice, 1);
    auto *whole = new QVBoxLayout(this);
    whole->setContentsMargins(6, 4, 6, 4);
    whole->setSpacing(2);
    whole->addLayout(controls);
    whole->addWidget(m_status);

    for (QWidget *keys : {static_cast<QWidget *>(m_target), static_cast<QWidget *>(m_amount),
                          static_cast<QWidget *>(m_condition), static_cast<QWidget *>(m_rounds)})
        keys->installEventFilter(this);
    connect(m_target, &QLineEdit::textEdited, this, &TargetBar::choose);
    // The hit points shown follow every change, whoever made it.
    connect(&m_document, &CombatDocument::changed, this, [this] {
        if (isVisible())
            showChoice();
    });
    hide();
}

void TargetBar::open(Mode mode, int row)
{
    m_mode = mode;
    const bool blow = mode == Mode::Damage;
    m_title->setText(blow ? QStringLiteral("Damage") : QStringLiteral("Condition"));
    setAccessibleName(blow ? QStringLiteral("Damage bar") : QStringLiteral("Condition bar"));
    m_blowPage->setVisible(blow);
    m_conditionPage->setVisible(!blow);
    m_added.clear();
    m_seen.clear();
    setChosen(row >= 0 && !m_document.row(row).name.isEmpty() ? row : -1);
    m_chosenCounts = true;
    m_target->clear();
    m_amount->clear();
    m_condition->clear();
    m_rounds->setValue(1);
    static_cast<QStringListModel *>(m_condition->completer()->model())->setStringList(knownConditions());
    if (QWidget *focus = QApplication::focusWidget(); focus && !isAncestorOf(focus))
        m_returnFocus = focus;
    show();
    m_target->setFocus(Qt::ShortcutFocusReason);
    showChoice();
    say(blow ? DamageHint : ConditionHint);
}

void TargetBar::close()
{
    // The focus goes back first, so Qt does not hand it to some other control on hiding.
    if (m_returnFocus && m_returnFocus->isVisible() && m_returnFocus->isEnabled())
        m_returnFocus->setFocus(Qt::OtherFocusReason);
    hide();
    m_added.clear();
}

QList<int> TargetBar::targets() const
{
    QList<int> rows = m_added;
    if (m_chosen >= 0 && m_chosenCounts && !rows.contains(m_chosen))
        rows.append(m_chosen);
    return rows;
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
    const QString typed = m_target->text();
    if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
        step(key->key() == Qt::Key_Up ? -1 : 1);
        return true;
    }
    if (isEnter(key) && key->modifiers().testFlag(Qt::ControlModifier)) {
        addChosen();
        return true;
    }
    if (isEnter(key) || key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        moveToDetails();
        return true;
    }
    if (key->key() == Qt::Key_Space) {
        // A blank that can go on with a name ("Wolf 2") is typed; any other adds the target.
        const QList<int> rows = combat::targetRows(m_document.order(), m_document.roster());
        if (!typed.trimmed().isEmpty() && combat::continuesSomeName(rows, m_document.roster(), typed))
            return false;
        addChosen();
        return true;
    }
    // Digits or a sign first: the chosen target stays, and they are the amount.
    const QString text = key->text();
    if (m_mode == Mode::Damage && typed.isEmpty() && text.size() == 1
        && (text.front().isDigit() || text.front() == u'-')) {
        if (!moveToDetails())
            return true;
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
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        m_target->setFocus(Qt::TabFocusReason);
        return true;
    }
    return false;
}

bool TargetBar::conditionKey(QKeyEvent *key)
{
    const bool onName = m_condition->hasFocus();
    if (isEnter(key) || key->key() == Qt::Key_Tab) {
        if (!onName) {
            if (isEnter(key))
                apply();
            else
                m_target->setFocus(Qt::TabFocusReason);
        } else if (!combat::isConditionName(m_condition->text())) {
            say(QStringLiteral("Type the condition's name: letters, digits, blanks, - and '."));
        } else {
            // Completion keeps the case typed: a known name takes its own spelling.
            const QString typed = m_condition->text().trimmed();
            const QStringList known = knownConditions();
            const auto same = std::find_if(known.begin(), known.end(), [&](const QString &name) {
                return name.compare(typed, Qt::CaseInsensitive) == 0;
            });
            m_condition->setText(same != known.end() ? *same : typed);
            m_rounds->setFocus(Qt::TabFocusReason);
            m_rounds->selectAll();
        }
        return true;
    }
    if (key->key() == Qt::Key_Backtab) {
        if (onName)
            m_target->setFocus(Qt::BacktabFocusReason);
        else
            m_condition->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}

void TargetBar::choose(const QString &typed)
{
    if (typed.trimmed().isEmpty())
        return; // typed away: the last choice stands
    const QList<int> rows = combat::targetRows(m_document.order(), m_document.roster());
    setChosen(combat::findTarget(rows, m_document.roster(), typed));
    m_chosenCounts = true;
    showChoice();
    if (m_chosen < 0)
        say(QStringLiteral("No combatant in the fight answers to \u201c%1\u201d.")
                .arg(roster::shownText(typed.trimmed(), BarNameLength)));
    else
        say(m_mode == Mode::Damage ? DamageHint : ConditionHint);
}

void TargetBar::step(int by)
{
    const QList<int> rows = combat::targetRows(m_document.order(), m_document.roster());
    if (rows.isEmpty())
        return;
    const qsizetype at = rows.indexOf(m_chosen);
    const qsizetype next = at < 0 ? (by > 0 ? 0 : rows.size() - 1) : std::clamp<qsizetype>(at + by, 0, rows.size() - 1);
    setChosen(rows[next]);
    m_chosenCounts = true;
    m_target->clear();
    showChoice();
}

void TargetBar::addChosen()
{
    if (m_chosen < 0) {
        say(QStringLiteral("Choose a target first: letters of its name, #row, or \u2191\u2193."));
        return;
    }
    if (!m_added.contains(m_chosen))
        m_added.append(m_chosen);
    // On to the next in the fighting order not yet added, offered for another Space.
    const QList<int> rows = combat::targetRows(m_document.order(), m_document.roster());
    const qsizetype from = rows.indexOf(m_chosen) + 1;
    int offered = -1;
    for (qsizetype i = 0; i < rows.size() && offered < 0; ++i) {
        const int r = rows[(from + i) % rows.size()];
        if (!m_added.contains(r))
            offered = r;
    }
    setChosen(offered);
    m_chosenCounts = false;
    m_target->clear();
    showChoice();
}

bool TargetBar::moveToDetails()
{
    if (targets().isEmpty()) {
        say(QStringLiteral("Choose a target first: letters of its name, #row, or \u2191\u2193."));
        return false;
    }
    QLineEdit *next = m_mode == Mode::Damage ? m_amount : m_condition;
    next->setFocus(Qt::TabFocusReason);
    next->selectAll();
    return true;
}

void TargetBar::setChosen(int row)
{
    m_chosen = row;
    if (row >= 0)
        m_seen[row] = Seen{m_document.row(row).serial, m_document.row(row).name};
}

bool TargetBar::stillHolds(int row) const
{
    const Seen seen = m_seen.value(row);
    return seen.serial == m_document.row(row).serial && seen.name == m_document.row(row).name;
}

void TargetBar::apply()
{
    const QList<int> rows = targets();
    if (rows.isEmpty()) {
        say(QStringLiteral("Choose a target first: letters of its name, #row, or \u2191\u2193."));
        m_target->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The roster may have changed under the open bar: a row cleared, loaded anew or renamed
    // no longer holds the combatant that was chosen, and the blow must not find another.
    for (const int r : rows) {
        if (stillHolds(r))
            continue;
        say(QStringLiteral("Row %1 no longer holds %2. Nothing was changed; choose the target again.")
                .arg(r + 1)
                .arg(roster::shownText(m_seen.value(r).name, BarNameLength)));
        m_added.removeAll(r);
        if (m_chosen == r)
            m_chosen = -1;
        showChoice();
        m_target->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_mode == Mode::Damage)
        applyBlow(rows);
    else
        applyCondition(rows);
}

void TargetBar::applyBlow(const QList<int> &rows)
{
    const std::optional<double> amount = combat::blowAmount(m_amount->text());
    if (!amount) {
        say(QStringLiteral("\u201c%1\u201d is no amount: type damage as 7, healing as -5, half of 14 as 14/2.")
                .arg(roster::shownText(m_amount->text(), BarNameLength)));
        m_amount->selectAll();
        return;
    }
    if (const int failed = m_document.blow(rows, *amount); failed >= 0) {
        say(QStringLiteral("%1: the hit points cannot take this amount. Nothing was changed.")
                .arg(m_document.rowLabel(failed)));
        return;
    }
    close();
}

void TargetBar::applyCondition(const QList<int> &rows)
{
    m_rounds->interpretText();
    const QString name = m_condition->text().trimmed();
    if (!m_document.addCondition(rows, name, m_rounds->value())) {
        say(QStringLiteral("Type the condition's name: letters, digits, blanks, - and '."));
        m_condition->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_usedConditions.contains(name, Qt::CaseInsensitive))
        m_usedConditions.append(name);
    close();
}

void TargetBar::showChoice()
{
    auto describe = [this](int r) {
        const roster::Row &row = m_document.row(r);
        return QStringLiteral("%1 (row %2, %3 HP)")
            .arg(roster::shownText(row.name, BarNameLength))
            .arg(r + 1)
            .arg(row.hp.isEmpty() ? QStringLiteral("no") : roster::shownText(row.hp, 16));
    };
    QStringList added;
    for (const int r : m_added)
        added.append(roster::shownText(m_document.row(r).name, BarNameLength));
    QString text = added.join(QStringLiteral(", "));
    if (m_chosen >= 0 && m_chosenCounts)
        text += (text.isEmpty() ? QString() : QStringLiteral(" and ")) + describe(m_chosen);
    else if (m_chosen >= 0)
        text += QStringLiteral("; Space adds ") + describe(m_chosen);
    if (text.isEmpty())
        text = QStringLiteral("nobody chosen");
    if (m_chosen >= 0)
        emit chosen(m_chosen);
    m_choice->setText(text);
    m_choice->setToolTip(text);
    // Screen readers hear the choice as the target field's description.
    m_target->setAccessibleDescription(text);
    QAccessibleEvent described(m_target, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void TargetBar::say(const QString &text)
{
    m_status->setText(text);
}

QStringList TargetBar::knownConditions() const
{
    QStringList names = combat::UsualConditions;
    auto learn = [&names](const QString &name) {
        if (!names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    };
    for (const QString &name : m_usedConditions)
        learn(name);
    for (const roster::Row &row : m_document.roster().rows) {
        for (const combat::TimedCondition &condition : combat::leadingConditions(row.note))
            learn(condition.name);
    }
    return names;
}
