#include "app/dialogs/ConditionDialog.h"

#include "combat/Conditions.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

ConditionDialog::ConditionDialog(const QStringList &names, QWidget *parent)
    : QDialog(parent)
{
    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("conditionName"));
    m_name->setEditable(true);
    m_name->setInsertPolicy(QComboBox::NoInsert);
    m_name->addItems(names);
    m_name->setToolTip(QStringLiteral("Letters, digits, spaces, hyphens and apostrophes."));
    m_rounds = new QSpinBox(this);
    m_rounds->setObjectName(QStringLiteral("conditionRounds"));
    m_rounds->setRange(1, combat::MaximumConditionRounds);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Condition:"), m_name);
    form->addRow(QStringLiteral("&Rounds:"), m_rounds);
    form->addRow(m_buttons);

    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QComboBox::currentTextChanged, this, [this](const QString &text) {
        m_buttons->button(QDialogButtonBox::Ok)->setEnabled(combat::isConditionName(text));
    });
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(combat::isConditionName(m_name->currentText()));
    // The offered name is a suggestion: typing replaces it.
    m_name->lineEdit()->selectAll();
    m_name->setFocus(Qt::OtherFocusReason);
}

void ConditionDialog::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowTitleChange)
        return;
    // Wide enough that the title bar shows the whole title ("Add Condition to Row 3 (Wolf)"):
    // the title in bold type, with room for the frame's icon and buttons.
    QFont titleFont = font();
    titleFont.setBold(true);
    setMinimumWidth(QFontMetrics(titleFont).horizontalAdvance(windowTitle()) + TitleBarAllowance);
}

QString ConditionDialog::name() const
{
    return m_name->currentText().trimmed();
}

int ConditionDialog::rounds() const
{
    return m_rounds->value();
}
