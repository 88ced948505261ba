#include "app/PlayerWindow.h"

#include "app/OrderItemDelegate.h"
#include "app/TurnLine.h"
#include "document/CombatDocument.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString CurrentTurn = QStringLiteral("Current turn");
const QString OutOfTheFight = QStringLiteral("Out of the fight");

// Light on black reads from across a room; the current name is black on amber.
const QColor Background(0, 0, 0);
const QColor Text(0xf2, 0xf2, 0xf2);
const QColor OutText(0x8c, 0x8c, 0x8c); // 6.6:1 on black: greyed, still legible
const QColor Marker(0xff, 0xcc, 0x33);
const QColor MarkerText(0, 0, 0);

const int MinPixels = 12;

// Smaller when `text` would not fit across `width`.
void shrinkToWidth(QFont &font, const QString &text, int width)
{
    const int textWidth = QFontMetrics(font).horizontalAdvance(text);
    if (textWidth > width)
        font.setPixelSize(std::max(MinPixels, font.pixelSize() * width / textWidth));
}

} // namespace

PlayerWindow::PlayerWindow(const CombatDocument &document, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_document(document)
{
    setObjectName(QStringLiteral("PlayerWindow"));
    setWindowTitle(QStringLiteral("Fraymark \u2014 Players"));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    // Never what keeps the program running: it ends with the main window.
    setAttribute(Qt::WA_QuitOnClose, false);

    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Window, Background);
        colours.setColor(group, QPalette::Base, Background);
        colours.setColor(group, QPalette::WindowText, Text);
        colours.setColor(group, QPalette::Text, Text);
        colours.setColor(group, QPalette::Highlight, Marker);
        colours.setColor(group, QPalette::HighlightedText, MarkerText);
    }
    setPalette(colours);
    setAutoFillBackground(true);

    m_turn = new QLabel(this);
    m_turn->setObjectName(QStringLiteral("PlayerTurnLbl"));
    m_turn->setAlignment(Qt::AlignCenter);
    m_turn->setForegroundRole(QPalette::Highlight);
    m_turn->setAccessibleName(QStringLiteral("Round"));

    m_list = new QListWidget(this);
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

    connect(&m_document, &CombatDocument::orderChanged, this, &PlayerWindow::showOrder);
    connect(&m_document, &CombatDocument::changed, this, &PlayerWindow::showTurn);

    resize(960, 540);
    placeOnAnotherScreen();
    showOrder();
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

void PlayerWindow::showOrder()
{
    m_list->clear();
    m_marked = -1;
    for (const combat::OrderEntry &entry : m_document.order()) {
        auto *item = new QListWidgetItem(entry.name, m_list);
        item->setTextAlignment(Qt::AlignCenter);
        item->setFlags(Qt::ItemIsEnabled);
    }
    showTurn();
}

void PlayerWindow::showTurn()
{
    const int marked = m_document.markedItem();
    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        const bool current = i == marked;
        const bool inFight = m_document.isInFight(i);
        // The combatant's timed conditions after the name, while they are in the fight.
        const combat::OrderEntry &entry = m_document.order().at(i);
        const QString conditions =
            inFight ? conditionsShown(m_document.state().roster.rows[static_cast<std::size_t>(entry.row)].note)
                    : QString();
        const QString text = conditions.isEmpty() ? entry.name : entry.name + QStringLiteral(" \u00b7 ") + conditions;
        if (item->text() != text)
            item->setText(text);
        item->setData(Qt::BackgroundRole, current ? QVariant(QBrush(Marker)) : QVariant());
        item->setData(Qt::ForegroundRole, QBrush(current ? MarkerText : inFight ? Text : OutText));
        QStringList description;
        if (current)
            description << CurrentTurn;
        if (!inFight)
            description << OutOfTheFight;
        item->setData(Qt::AccessibleDescriptionRole, description.join(QStringLiteral(", ")));
    }

    const QString line = turnLine(m_document);
    if (m_turn->text() != line) {
        m_turn->setText(line);
        m_turn->setAccessibleName(line.isEmpty() ? QStringLiteral("Round") : line);
    }
    fitType();

    if (marked != m_marked) {
        m_marked = marked;
        m_list->setCurrentRow(marked, QItemSelectionModel::NoUpdate);
        if (marked >= 0) {
            m_list->scrollToItem(m_list->item(marked));
            // Told to screen readers as the current item even while the focus is elsewhere.
            QAccessibleEvent focus(m_list, QAccessible::Focus);
            focus.setChild(marked);
            QAccessible::updateAccessibility(&focus);
        }
    }
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

    const int items = std::max(m_list->count(), 1);
    const int rowHeight = std::max((h - 3 * margin - turnHeight) / items, 1);
    QFont nameFont = font();
    nameFont.setBold(true); // measured as the widest, the current name's
    nameFont.setPixelSize(std::clamp(rowHeight * 5 / 8, MinPixels, std::max(h / 11, MinPixels)));
    for (int i = 0; i < m_list->count(); ++i)
        shrinkToWidth(nameFont, m_list->item(i)->text(), across);
    const int lineHeight = QFontMetrics(nameFont).height();
    const QSize itemSize(across, std::clamp(rowHeight, lineHeight, lineHeight * 3 / 2));

    for (int i = 0; i < m_list->count(); ++i) {
        QListWidgetItem *item = m_list->item(i);
        QFont itemFont = nameFont;
        itemFont.setBold(i == m_document.markedItem());
        itemFont.setStrikeOut(!m_document.isInFight(i));
        if (item->font() != itemFont)
            item->setFont(itemFont);
        if (item->sizeHint() != itemSize)
            item->setSizeHint(itemSize);
    }
}
