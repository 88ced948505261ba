#include "app/players/PlayerWindow.h"

#include "app/order/OrderModel.h"
#include "combat/StateWords.h"
#include "document/CombatDocument.h"
#include "document/PlayersView.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
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

// The order as the players see it (players::playersView): each name with the words for its
// health and conditions, centred, in the window's type; the current name black on amber,
// those out of the fight grey.
class PlayerOrder : public QAbstractListModel
{
public:
    // Light on black reads from across a room.
    static inline const QColor Background{0, 0, 0};
    static inline const QColor Text{0xf2, 0xf2, 0xf2};
    static inline const QColor OutText{0x8c, 0x8c, 0x8c}; // 6.6:1 on black: greyed, still legible
    static inline const QColor Marker{0xff, 0xcc, 0x33};
    static inline const QColor MarkerText{0, 0, 0};

    using QAbstractListModel::QAbstractListModel;

    QFont font;    // the names' type, sized to the window
    QSize itemSize;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
    }

    int currentRow() const
    {
        const auto current = std::find_if(m_lines.begin(), m_lines.end(), [](const auto &line) { return line.current; });
        return current == m_lines.end() ? -1 : static_cast<int>(current - m_lines.begin());
    }

    // Only what changed is told to the list, so it keeps its place.
    void show(const QList<players::Line> &lines)
    {
        if (lines.size() != m_lines.size()) {
            beginResetModel();
            m_lines = lines;
            endResetModel();
            return;
        }
        for (int i = 0; i < lines.size(); ++i) {
            if (lines[i] == m_lines[i])
                continue;
            m_lines[i] = lines[i];
            emit dataChanged(index(i), index(i));
        }
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_lines.size())
            return {};
        const players::Line &line = m_lines[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            return line.state.isEmpty() ? line.name : line.name + combat::StateSeparator + line.state;
        case Qt::FontRole: {
            QFont itemFont = font;
            itemFont.setBold(line.current);
            itemFont.setStrikeOut(line.out);
            return itemFont;
        }
        case Qt::SizeHintRole:
            return itemSize.isValid() ? QVariant(itemSize) : QVariant();
        case Qt::TextAlignmentRole:
            return int(Qt::AlignCenter);
        case Qt::BackgroundRole:
            return line.current ? QVariant(QBrush(Marker)) : QVariant();
        case Qt::ForegroundRole:
            return QBrush(line.current ? MarkerText : line.out ? OutText : Text);
        case Qt::AccessibleDescriptionRole: {
            QStringList description;
            if (line.current)
                description << QStringLiteral("Current turn");
            if (line.out)
                description << QStringLiteral("Out of the fight");
            return description.join(QStringLiteral(", "));
        }
        default:
            return {};
        }
    }

    // The type changed: every item is drawn and measured again.
    void refit()
    {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }

private:
    QList<players::Line> m_lines;
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
    m_next = new QLabel(this);
    m_next->setObjectName(QStringLiteral("PlayerNextLbl"));
    m_next->setAlignment(Qt::AlignCenter);
    m_next->setAccessibleName(QStringLiteral("Next"));
    m_waiting = new QLabel(QStringLiteral("Waiting for the fight"), this);
    m_waiting->setObjectName(QStringLiteral("PlayerWaitingLbl"));
    m_waiting->setAlignment(Qt::AlignCenter);
    m_waiting->setAccessibleName(m_waiting->text());

    m_shown = new PlayerOrder(this);
    m_list = new QListView(this);
    m_list->setModel(m_shown);
    m_list->setObjectName(QStringLiteral("PlayerList"));
    m_list->setAccessibleName(QStringLiteral("Fighting order"));
    m_list->setFrameShape(QFrame::NoFrame);
    // The marker is drawn from the document; the list's own selection would hide it, and
    // its focus would frame a combatant before any turn.
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setUniformItemSizes(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_turn);
    layout->addWidget(m_next);
    layout->addWidget(m_list, 1);
    layout->addWidget(m_waiting, 1);

    // The window's own keys, so a presentation remote works while it has the focus.
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this,
            &PlayerWindow::nextTurnRequested);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
            &PlayerWindow::previousTurnRequested);
    // F7 opened this window; here it goes back to the main one, where the other keys are.
    connect(new QShortcut(QKeySequence(Qt::Key_F7), this), &QShortcut::activated, this,
            &PlayerWindow::mainWindowRequested);
    connect(new QShortcut(QKeySequence(Qt::Key_H), this), &QShortcut::activated, &m_order,
            &OrderModel::nextHealthWords);
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
    const players::View view = players::playersView(m_document, m_order.healthWords());
    m_shown->show(view.order);
    const bool waiting = view.waiting();
    m_waiting->setVisible(waiting);
    m_list->setVisible(!waiting);
    m_turn->setVisible(!waiting);
    m_next->setVisible(!waiting);
    if (m_turn->text() != view.turn) {
        m_turn->setText(view.turn);
        m_turn->setAccessibleName(view.turn.isEmpty() ? QStringLiteral("Round") : view.turn);
    }
    if (m_next->text() != view.next) {
        m_next->setText(view.next);
        m_next->setAccessibleName(view.next.isEmpty() ? QStringLiteral("Next") : view.next);
    }
    fitType();
    // A hidden current combatant is no item here: nobody is lit.
    showMarked(m_list, m_shown->currentRow(), QItemSelectionModel::NoUpdate);
}

void PlayerWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitType();
}

// Type as large as the window allows: the turn line a ninth of its height, who is next an
// eighteenth, the names sharing what is left, each smaller only where a line would not fit
// across.
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

    QFont nextFont = font();
    nextFont.setPixelSize(std::max(h / 18, MinPixels));
    const int nextHeight = QFontMetrics(nextFont).height();
    shrinkToWidth(nextFont, m_next->text(), across);
    if (m_next->font() != nextFont)
        m_next->setFont(nextFont);
    m_next->setFixedHeight(nextHeight);
    QFont waitingFont = turnFont;
    waitingFont.setPixelSize(std::max(h / 12, MinPixels));
    shrinkToWidth(waitingFont, m_waiting->text(), across);
    if (m_waiting->font() != waitingFont)
        m_waiting->setFont(waitingFont);

    const int items = std::max(m_shown->rowCount(), 1);
    const int rowHeight = std::max((h - 4 * margin - turnHeight - nextHeight) / items, 1);
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
