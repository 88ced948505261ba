#include "app/rolls/RollsPanel.h"

#include "app/rolls/RollsModel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

RollsPanel::RollsPanel(RollsModel &model, bool fixedDice, QWidget *parent)
    : QWidget(parent)
{
    auto *caption = new QLabel(fixedDice ? QStringLiteral("Rolls (fixed dice: FRAYMARK_DICE_SEED is set)")
                                         : QStringLiteral("Rolls"),
                               this);
    caption->setObjectName(QStringLiteral("RollsLbl"));
    m_dice = new QLineEdit(this);
    m_dice->setObjectName(QStringLiteral("RollDiceTxt"));
    m_dice->setAccessibleName(QStringLiteral("Dice to roll"));
    m_dice->setPlaceholderText(QStringLiteral("Dice to roll: 6d6, 1d20+7 (Shift+F4)"));
    m_dice->setMaxLength(200);
    // The text stays, chosen: Enter again rolls it again, typing replaces it.
    connect(m_dice, &QLineEdit::returnPressed, this, [this] {
        emit rollDice(m_dice->text());
        m_dice->selectAll();
    });
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("RollsList"));
    m_list->setAccessibleName(QStringLiteral("Rolls"));
    m_list->setModel(&model);
    // A line wraps rather than hide its total at the right.
    m_list->setWordWrap(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->installEventFilter(this);
    // Its share of the room beside the note, as tall as the note: its lines never widen it.
    m_list->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    caption->setBuddy(m_list);
    connect(m_list, &QListView::doubleClicked, this, [this](const QModelIndex &index) { emit rollAgain(index.row()); });
    // The newest line in sight as it comes.
    connect(&model, &QAbstractItemModel::rowsInserted, m_list, &QListView::scrollToTop);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(caption);
    column->addWidget(m_dice);
    column->addWidget(m_list, 1);
}

bool RollsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_list->currentIndex().isValid()) {
            emit rollAgain(m_list->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
