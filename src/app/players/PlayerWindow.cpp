#include "app/players/PlayerWindow.h"

#include "app/order/OrderModel.h"
#include "app/order/TurnLine.h"
#include "document/CombatDocument.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
#include <QIdentityProxyModel>
#include <QListView>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const int MinPixels = 12;

// Smaller when `text` would not fit across `width`.
void shrinkToWidth(QFont &font, const QString &text, int width)
{
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    if (textWidth > width)
        font.setPixelSize(std::max(MinPixels, font.pixelSize() * width / textWidth));
}

} // namespace

// The order as the players see it: names with their conditions, centred, in the window's
// type; the current name black on amber, those out of the fight grey.
class PlayerOrder : public QIdentityProxyModel
{
public:
    // Light on black reads from across a room.
    static inline const QColor Background{0, 0, 0};
    static inline const QColor Text{0xf2, 0xf2, 0xf2};
    static inline const QColor OutText{0x8c, 0x8c, 0x8c}; // 6.6:1 on black: greyed, still legible
    static inline const QColor Marker{0xff, 0xcc, 0x33};
    static inline const QColor MarkerText{0, 0, 0};

    using QIdentityProxyModel::QIdentityProxyModel;

    QFont font;    // the names' type, sized to the window
    QSize itemSize;

    QVariant data(const QModelIndex &index, int role) const override
    {
        const QModelIndex item = mapToSource(index);
        const bool current = item.data(OrderModel::CurrentRole).toBool();
        const bool inFight = item.data(OrderModel::InFightRole).toBool();
        switch (role) {
        case Qt::DisplayRole: {
            const QString name = item.data(OrderModel::NameRole).toString();
            const QString conditions = item.data(OrderModel::ConditionsRole).toString();
            return conditions.isEmpty() ? name : name + QStringLiteral(" \u00b7 ") + conditions;
        }
        case Qt::FontRole: {
            QFont itemFont = font;
            itemFont.setBold(current);
            itemFont.setStrikeOut(!inFight);
            return itemFont;
        }
        case Qt::SizeHintRole:
            return itemSize.isValid() ? QVariant(itemSize) : QVariant();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::BackgroundRole:
            return current ? QVariant(QBrush(Marker)) : QVariant();
        case Qt::ForegroundRole:
            return QBrush(current ? MarkerText : inFight ? Text : OutText);
        case Qt::AccessibleDescriptionRole: {
            QStringList description;
            if (current)
                description << QStringLiteral("Current turn");
            if (!inFight)
                description << QStringLiteral("Out of the fight");
            return description.join(QStringLiteral(", "));
        }
        default:
            return QIdentityProxyModel::data(index, role);
        }
    }

    // The type changed: every item is drawn and measured again.
    void refit()
    {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }
};

PlayerWindow::PlayerWindow(const CombatDocument &document, OrderModel &order, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_document(document)
    , m_order(order)
{
    setObjectName(QStringLiteral("PlayerWindow"));
    setWindowTitle(QStringLiteral("Fraymark \u2014 Players"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    // Never what keeps the program running: it ends with the main window.
    setAttribute(Qt::WA_QuitOnClose, false);

    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Window, PlayerOrder::Background);
        colours.setColor(group, QPalette::Base, PlayerOrder::Background);
        colours.setColor(group, QPalette::WindowText, PlayerOrder::Text);
        colours.setColor(group, QPalette::Text, PlayerOrder::Text);
        colours.setColor(group, QPalette::Highlight, PlayerOrder::Marker);
        colours.setColor(group, QPalette::HighlightedText, PlayerOrder::MarkerText);
    }
    setPalette(colours);
    setAutoFillBackground(true);

    m_turn = new QLabel(this);
    m_turn->setObjectName(QStringLiteral("PlayerTurnLbl"));
    m_turn->setAlignment(Qt::AlignCenter);
    m_turn->setForegroundRole(QPalette::Highlight);
    m_turn->setAccessibleName(QStringLiteral("Round"));

    m_shown = new PlayerOrder(this);
    m_shown->setSourceModel(&m_order);
    m_list = new QListView(this);
    m_list->setModel(m_shown);
    m_list->setObjectName(QStringLiteral("PlayerList"));
    m_list->setAccessibleName(QStringLiteral("Fighting order"));
    m_list->setFrameShape(QFrame::NoFrame);
    // The marker is drawn from the document; the list's own selection would hide it.
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_turn);
    layout->addWidget(m_list, 1);

    // The window's own keys, so a presentation remote works while it has the focus.
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this,
            &PlayerWindow::nextTurnRequested);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
            &PlayerWindow::previousTurnRequested);
    connect(new QShortcut(QKeySequence(Qt::Key_F11), this), &QShortcut::activated, this,
            [this] { setWindowState(windowState() ^ Qt::WindowFullScreen); });
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [this] { setWindowState(windowState() & ~Qt::WindowFullScreen); });

    connect(&m_order, &OrderModel::shown, this, &PlayerWindow::showTurn);

    resize(960, 540);
    placeOnAnotherScreen();
    showTurn();
}

void PlayerWindow::placeOnAnotherScreen()
{
    const QScreen *own = parentWidget() ? parentWidget()->screen() : screen();
    for (QScreen *other : QGuiApplication::screens()) {
        if (other != own) {
            move(other->availableGeometry().center() - rect().center());
            return;
        }
    }
}

void PlayerWindow::showTurn()
{
    showTurnLine(m_turn, m_document);
    fitType();
    showMarked(m_list, m_order.markedItem(), QItemSelectionModel::NoUpdate);
}

void PlayerWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitType();
}

// Type as large as the window allows: the turn line a ninth of its height, the names
// sharing what is left, each smaller only where a line would not fit across.
void PlayerWindow::fitType()
{
    const int h = std::max(height(), 1);
    const int margin = std::max(h / 40, 4);
    layout()->setContentsMargins(margin, margin, margin, margin);
    layout()->setSpacing(margin);
    const int across = std::max(width() - 2 * margin - m_list->verticalScrollBar()->sizeHint().width(), 1);

    QFont turnFont = font();
    turnFont.setBold(true);
    turnFont.setPixelSize(std::max(h / 9, MinPixels));
    const int turnHeight = QFontMetrics(turnFont).height(); // the same with or without a line
    shrinkToWidth(turnFont, m_turn->text(), across);
    if (m_turn->font() != turnFont)
        m_turn->setFont(turnFont);
    m_turn->setFixedHeight(turnHeight);

    const int items = std::max(m_shown->rowCount(), 1);
    const int rowHeight = std::max((h - 3 * margin - turnHeight) / items, 1);
    QFont nameFont = font();
    nameFont.setBold(true); // measured as the widest, the current name's
    nameFont.setPixelSize(std::clamp(rowHeight * 5 / 8, MinPixels, std::max(h / 11, MinPixels)));
    for (int i = 0; i < m_shown->rowCount(); ++i)
        shrinkToWidth(nameFont, m_shown->index(i, 0).data().toString(), across);
    const int lineHeight = QFontMetrics(nameFont).height();
    const QSize itemSize(across, std::clamp(rowHeight, lineHeight, lineHeight * 3 / 2));
    if (m_shown->font != nameFont || m_shown->itemSize != itemSize) {
        m_shown->font = nameFont;
        m_shown->itemSize = itemSize;
        m_shown->refit();
    }
}
