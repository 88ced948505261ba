// The target bar's controls: the target, the amount or the condition with its rounds,
// whom the blow goes to, and a line that says what went wrong or how to go on.
#include "app/target/TargetBar.h"

#include "combat/Conditions.h"

#include <QCompleter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>
#include <QVBoxLayout>

namespace {

QLabel *captionFor(const QString &text, QWidget *buddy)
{
    auto *caption = new QLabel(text);
    caption->setBuddy(buddy);
    return caption;
}

// A field of the bar, named for tools and screen readers, with a hint of what it takes.
QLineEdit *barField(const char *objectName, const QString &accessibleName, const QString &hint)
{
    auto *field = new QLineEdit;
    field->setObjectName(QLatin1String(objectName));
    field->setAccessibleName(accessibleName);
    field->setPlaceholderText(hint);
    return field;
}

} // namespace

void TargetBar::createControls()
{
    setObjectName(QStringLiteral("TargetBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    m_title = new QLabel;
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_target = barField("TargetTxt", QStringLiteral("Target"), QStringLiteral("name or #row"));
    m_shown = new QLabel;
    m_shown->setObjectName(QStringLiteral("TargetChoice"));
    m_shown->setAccessibleName(QStringLiteral("Chosen target"));
    m_shown->setTextFormat(Qt::PlainText);
    m_shown->setMinimumWidth(fontMetrics().averageCharWidth() * 24);
    m_shown->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    m_amount = barField("BlowTxt", QStringLiteral("Amount"), QStringLiteral("7, -5, 14/2"));
    m_amount->setMaximumWidth(fontMetrics().averageCharWidth() * 12);
    m_condition = barField("ConditionTxt", QStringLiteral("Condition"), QString());
    auto *completer = new QCompleter(new QStringListModel(this), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setCompletionMode(QCompleter::InlineCompletion);
    m_condition->setCompleter(completer);
    // A plain field, not a spin box: a spin box quietly makes "0" or "100" into another count.
    m_rounds = barField("RoundsTxt", QStringLiteral("Rounds"), QStringLiteral("1-%1").arg(combat::MaximumConditionRounds));
    m_rounds->setMaximumWidth(fontMetrics().averageCharWidth() * 6);

    m_blowPage = new QWidget;
    auto *blowRow = new QHBoxLayout(m_blowPage);
    blowRow->setContentsMargins(0, 0, 0, 0);
    m_amountCaption = captionFor(QStringLiteral("&Amount:"), m_amount);
    blowRow->addWidget(m_amountCaption);
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
    m_targetCaption = captionFor(QStringLiteral("&Target:"), m_target);
    controls->addWidget(m_targetCaption);
    controls->addWidget(m_target);
    // The amount stays where it is while the choice beside it changes.
    controls->addWidget(m_blowPage);
    controls->addWidget(m_conditionPage);
    controls->addSpacing(fontMetrics().averageCharWidth() * 2);
    controls->addWidget(m_shown, 1);
    auto *whole = new QVBoxLayout(this);
    whole->setContentsMargins(6, 4, 6, 4);
    whole->setSpacing(2);
    whole->addLayout(controls);
    whole->addWidget(m_status);
}
