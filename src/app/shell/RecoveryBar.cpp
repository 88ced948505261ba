#include "app/shell/RecoveryBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

RecoveryBar::RecoveryBar(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("RecoveryBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    m_text = new QLabel;
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setForegroundRole(QPalette::ToolTipText);
    // A long path with nowhere to break is cut at the bar's edge, never widening the window.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_text->setMinimumWidth(fontMetrics().averageCharWidth() * 20);
    m_restore = new QPushButton(QStringLiteral("&Restore"));
    m_restore->setObjectName(QStringLiteral("RestoreCmd"));
    m_restore->setAccessibleName(QStringLiteral("Restore the unsaved combat"));
    m_restore->setToolTip(QStringLiteral("Brings the combat back with its fight and turn, as one step Undo takes back"));
    m_discard = new QPushButton(QStringLiteral("&Discard"));
    m_discard->setObjectName(QStringLiteral("DiscardCmd"));
    m_discard->setAccessibleName(QStringLiteral("Discard the unsaved combat"));
    m_discard->setToolTip(QStringLiteral("Forgets the unsaved combat for good"));
    m_close = new QPushButton(QStringLiteral("Close"));
    m_close->setObjectName(QStringLiteral("CloseCmd"));
    m_close->setAccessibleName(QStringLiteral("Close the message"));
    auto *line = new QHBoxLayout(this);
    line->setContentsMargins(6, 4, 6, 4);
    line->addWidget(m_text, 1);
    line->addWidget(m_restore);
    line->addWidget(m_discard);
    line->addWidget(m_close);
    connect(m_restore, &QPushButton::clicked, this, [this] {
        hide();
        emit restoreChosen();
    });
    connect(m_discard, &QPushButton::clicked, this, [this] {
        hide();
        emit discardChosen();
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void RecoveryBar::offer(const QDateTime &changed, bool closed)
{
    const QLocale locale;
    const QDateTime local = changed.toLocalTime();
    const QString when = locale.toString(local.date(), QLocale::LongFormat) + QStringLiteral(" at ")
        + locale.toString(local.time(), QLocale::ShortFormat);
    m_text->setText(closed ? QStringLiteral("Fraymark was closed with a combat no save holds, last changed on %1.")
                                 .arg(when)
                           : QStringLiteral("Fraymark ended before it could save the combat last changed on %1.")
                                 .arg(when));
    setAccessibleName(QStringLiteral("Unsaved combat"));
    setAccessibleDescription(m_text->text());
    m_restore->show();
    m_discard->show();
    m_close->hide();
    show();
}

void RecoveryBar::tell(const QString &message)
{
    m_text->setText(message);
    setAccessibleName(QStringLiteral("Crash copy"));
    setAccessibleDescription(message);
    m_restore->hide();
    m_discard->hide();
    m_close->show();
    show();
}

bool RecoveryBar::offering() const
{
    return !isHidden() && !m_restore->isHidden();
}

QString RecoveryBar::text() const
{
    return m_text->text();
}
