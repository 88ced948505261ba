// Creating the window's controls and laying them out. Column widths start from the
// original twips table (15 twips to a pixel), grow where a Linux font needs more, and
// the text columns take whatever width the window has beyond that. The roster sits
// in a scroll area, so a screen smaller than the window still reaches every control;
// the column captions stand above the area's viewport, so they stay in view.
#include "app/roster/RosterView.h"

#include "app/order/OrderItemDelegate.h"
#include "app/order/OrderModel.h"
#include "app/widgets/FieldEdit.h"
#include "app/widgets/FixedSizeItem.h"
#include "app/widgets/NoteEdit.h"
#include "app/widgets/SpinButton.h"
#include "app/widgets/WrappingButton.h"
#include "roster/RowLabels.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>


namespace {

constexpr int TwipsPerPixel = 15;
constexpr int FieldMargin = 10;       // frame and inner margins of a line edit
constexpr int ButtonMargin = 14;      // bevel and padding of a push button
constexpr int CaptionMargin = 2;      // a bold caption's room beyond its text
constexpr int ColumnSpacing = 5;
constexpr int RowSpacing = 2;
constexpr int BottomSpacing = 8;      // between the list, its buttons and the note
constexpr int MinSpinWidth = 15;
constexpr int BottomRows = 5;         // the list and the note show at least this many lines
constexpr int PageMargin = 8;
constexpr int PageTopMargin = 4;
constexpr int PageSpacing = 10;
constexpr double TurnLineScale = 1.6;

// Grid columns after the row fields' own, left to right.
enum Column { IncludeColumn = roster::FieldCount, ClearColumn, AmountColumn, SubstractColumn };

// A row's control, named "ChrHP_3" for tools and "Row 4 HP" for screen readers. Fields draw
// with the application's style (FieldStyle, set up before any window).
template <typename Control>
Control *named(Control *control, const char *array, int index, const char *label)
{
    control->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index));
    control->setAccessibleName(roster::rowFieldLabel(index, QLatin1StringView(label)));
    return control;
}

// A caption wrapped onto two lines of a fixed size. A height that followed the width
// would make the scroll area size the page by its preferred height, with scroll bars
// on a screen that has room.
class TwoLineCaption : public QLabel
{
public:
    using QLabel::QLabel;
    bool hasHeightForWidth() const override { return false; }
};

int pixels(int twips)
{
    return twips / TwipsPerPixel;
}

} // namespace

void RosterView::createControls()
{
    setObjectName(QStringLiteral("RosterArea"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus); // Tab goes to the controls, not to the area around them
    auto *central = new QWidget;
    central->setObjectName(QStringLiteral("central"));

    QWidget *strip = captionStrip();
    for (const FieldView &view : FieldViews) {
        const char *text = roster::fieldInfo(view.field).caption;
        QLabel *&caption = m_captions[static_cast<std::size_t>(view.captionNumber)];
        caption = view.field == roster::Field::Initiative ? new TwoLineCaption(QLatin1String(text), strip)
                                                          : new QLabel(QLatin1String(text), strip);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(view.captionNumber));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }
    m_captions[fieldView(roster::Field::Initiative).captionNumber]->setWordWrap(true);

    for (int r = 0; r < roster::RowCount; ++r) {
        // Left to right, each spin button after its field.
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            const char *caption = roster::fieldInfo(f).caption;
            const FieldView &view = fieldView(f);
            FieldEdit *edit = named(new FieldEdit(central), view.objectName, r, caption);
            m_fields[static_cast<std::size_t>(f)][r] = edit;
            if (view.spin != FieldSpin::None) {
                const QString label = QLatin1String(caption) + QStringLiteral(" up/down");
                auto *spin = named(new SpinButton(central), view.spinObjectName, r, qPrintable(label));
                spin->setBuddy(edit);
                (view.spin == FieldSpin::HitPoints ? m_hitPointsSpins : m_armourClassSpins)[r] = spin;
            }
        }
        m_includes[r] = named(new QCheckBox(central), "ChrChk", r, "include");
        m_clears[r] = named(new QPushButton(QStringLiteral("Clear"), central), "cmdClear", r, "Clear");
        m_amounts[r] = named(new FieldEdit(central), "SubsTxt", r, "amount");
        m_substracts[r] = named(new QPushButton(QStringLiteral("Substract"), central), "SubsCmd", r, "Substract");
        // Enter presses a focused button as Space does, outside dialogs too.
        for (QPushButton *button : {m_clears[r], m_substracts[r]})
            button->setAutoDefault(true);
    }

    m_list = new QListView(central);
    m_list->setModel(&m_order);
    m_list->setObjectName(QStringLiteral("List"));
    m_list->setAccessibleName(QStringLiteral("Fighting order"));
    m_list->setItemDelegate(new OrderItemDelegate(m_list));

    m_calculate = new WrappingButton(QStringLiteral("Calculate Fighting Order"), central);
    m_calculate->setObjectName(QStringLiteral("Command1"));
    m_calculate->setAutoDefault(true);

    // Beside the order: whose turn it is. Off the Tab chain, which stays as it was.
    m_nextTurn = new QPushButton(QStringLiteral("Next Turn"), central);
    m_nextTurn->setObjectName(QStringLiteral("NextTurnCmd"));
    m_nextTurn->setFocusPolicy(Qt::NoFocus);
    m_turnLine = new QLabel;
    m_turnLine->setObjectName(QStringLiteral("RoundLbl"));
    m_turnLine->setAccessibleName(QStringLiteral("Round"));
    m_turnLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The turn line reads across a table: larger and bold.
    QFont turnFont = m_turnLine->font();
    turnFont.setPointSizeF(turnFont.pointSizeF() * TurnLineScale);
    turnFont.setBold(true);
    m_turnLine->setFont(turnFont);
    // The marked turn stays as clear when the focus is elsewhere as when it is in the list.
    QPalette marked = m_list->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        marked.setColor(QPalette::Inactive, role, marked.color(QPalette::Active, role));
    m_list->setPalette(marked);

    m_noteCaption = new QLabel(QStringLiteral("Other Notes"), central);
    m_noteCaption->setObjectName(QStringLiteral("Label2"));

    m_note = new NoteEdit(central);
    m_note->setObjectName(QStringLiteral("NotesTxt"));
    m_note->setAccessibleName(QStringLiteral("Other Notes"));
    m_note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_note->setTabChangesFocus(true);
    m_noteCaption->setBuddy(m_note);
}

void RosterView::layOutControls()
{
    QWidget *central = field(0, roster::Field::Name)->parentWidget(); // the page inside the scroll area

    const QFontMetrics metrics(font());
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);

    const int fieldHeight = field(0, roster::Field::Name)->sizeHint().height();
    auto fieldWidth = [&](int twips, const char *sample) {
        return std::max(pixels(twips), metrics.horizontalAdvance(QLatin1String(sample)) + FieldMargin);
    };
    auto buttonWidth = [&](int twips, const QString &caption) {
        return std::max(pixels(twips), metrics.horizontalAdvance(caption) + ButtonMargin);
    };
    // What a caption needs across: a caption on two lines, its longest word.
    auto captionWidth = [&](roster::Field f) {
        const QString caption = QLatin1String(roster::fieldInfo(f).caption);
        if (f != roster::Field::Initiative)
            return boldMetrics.horizontalAdvance(caption) + CaptionMargin;
        int widest = 0;
        for (const QString &word : caption.split(u' '))
            widest = std::max(widest, boldMetrics.horizontalAdvance(word));
        return widest + CaptionMargin;
    };

    // Field widths: the twips of the original layout, or what the font needs for a
    // typical value and for the caption above, whichever is larger. The text columns
    // (name, note, attack, damage) start there and grow with the window.
    const int spinWidth = std::max(pixels(255), MinSpinWidth);
    std::array<int, roster::FieldCount> widths{};
    for (const roster::FieldInfo &info : roster::RowFields) {
        const FieldView &view = fieldView(info.field);
        int width = fieldWidth(view.twips, view.sample);
        if (view.fitsCaption)
            width = std::max(width, captionWidth(info.field) - (view.spin != FieldSpin::None ? spinWidth : 0));
        widths[static_cast<std::size_t>(info.field)] = width;
    }
    auto widthOf = [&](roster::Field f) { return widths[static_cast<std::size_t>(f)]; };
    const int clearWidth = buttonWidth(600, m_clears[0]->text());
    const int amountWidth = fieldWidth(735, "-100");
    const int substractWidth = buttonWidth(855, m_substracts[0]->text());

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(ColumnSpacing);
    grid->setVerticalSpacing(RowSpacing);
    // The extra width goes to the free-text columns, the long ones taking more. The
    // captions stand above the page; each column keeps room for its caption.
    QLabel *twoLines = m_captions[fieldView(roster::Field::Initiative).captionNumber];
    // The second line starts a line spacing below the first, which with some fonts is
    // more than the height of a line.
    twoLines->setFixedSize(widthOf(roster::Field::Initiative) + BottomSpacing,
                           boldMetrics.lineSpacing() + boldMetrics.height());
    for (const roster::FieldInfo &info : roster::RowFields) {
        const FieldView &view = fieldView(info.field);
        grid->setColumnStretch(info.column, view.stretch);
        const QLabel *caption = m_captions[static_cast<std::size_t>(view.captionNumber)];
        grid->setColumnMinimumWidth(info.column, caption == twoLines ? caption->width() : captionWidth(info.field));
    }

    auto fieldWithSpin = [&](QLineEdit *field, SpinButton *spin, int width) {
        auto *pair = new QHBoxLayout;
        pair->setSpacing(0);
        // Fixed controls give the layout their size without working out size hints.
        field->setFixedSize(width, fieldHeight);
        spin->setFixedSize(spinWidth, fieldHeight);
        pair->addItem(new FixedSizeItem(field));
        pair->addItem(new FixedSizeItem(spin));
        return pair;
    };

    for (int r = 0; r < roster::RowCount; ++r) {
        auto place = [&](QWidget *widget, int column, int width) {
            widget->setFixedSize(width, fieldHeight);
            grid->addItem(new FixedSizeItem(widget), r, column);
        };
        auto stretch = [&](QWidget *widget, int column, int width) {
            widget->setMinimumWidth(width);
            grid->addWidget(widget, r, column);
        };
        for (const roster::FieldInfo &info : roster::RowFields) {
            const FieldView &view = fieldView(info.field);
            FieldEdit *control = field(r, info.field);
            const int width = widthOf(info.field);
            if (SpinButton *spin = spinAfter(r, info.field))
                grid->addLayout(fieldWithSpin(control, spin, width), r, info.column);
            else if (view.stretch > 0)
                stretch(control, info.column, width);
            else
                place(control, info.column, width);
        }
        grid->addWidget(m_includes[r], r, IncludeColumn, Qt::AlignCenter);
        place(m_clears[r], ClearColumn, clearWidth);
        place(m_amounts[r], AmountColumn, amountWidth);
        place(m_substracts[r], SubstractColumn, substractWidth);
    }

    // Under the roster: the fighting order, its button, and the general note. The
    // list and the note take the extra height.
    const int bottomHeight = std::max(pixels(1455), BottomRows * fieldHeight);
    m_list->setMinimumSize(widthOf(roster::Field::Name) + widthOf(roster::Field::HitPoints) + spinWidth + ColumnSpacing + 40, bottomHeight);
    const int orderWidth = std::max(pixels(1095), m_calculate->sizeHint().width());
    const int nextTurnHeight = m_nextTurn->sizeHint().height();
    m_calculate->setFixedSize(orderWidth, bottomHeight - nextTurnHeight - RowSpacing);
    m_nextTurn->setFixedSize(orderWidth, nextTurnHeight);
    m_turnLine->setFixedHeight(m_turnLine->fontMetrics().height() + PageMargin);
    m_note->setMinimumHeight(bottomHeight - m_noteCaption->sizeHint().height() - RowSpacing);

    auto *notes = new QVBoxLayout;
    notes->setSpacing(RowSpacing);
    notes->addWidget(m_noteCaption);
    notes->addWidget(m_note, 1);

    auto *bottom = m_bottom = new QHBoxLayout;
    bottom->setSpacing(BottomSpacing);
    bottom->addWidget(m_list, 1);
    auto *order = new QVBoxLayout;
    order->setSpacing(RowSpacing);
    order->addWidget(m_calculate);
    order->addWidget(m_nextTurn);
    order->addStretch(1);
    bottom->addLayout(order);
    bottom->addLayout(notes, 1);

    auto *page = new QVBoxLayout(central);
    page->setContentsMargins(PageMargin, 0, PageMargin, PageMargin); // the caption strip holds the top margin
    page->setSpacing(PageSpacing);
    page->addLayout(grid);
    page->addLayout(bottom, 1);
    setWidget(central);
    // The turn line under the page, the whole width for long names, in view however the
    // rows scroll and whatever bar the window opens below.
    setFooter(m_turnLine, PageMargin);

    setCaptionMargins(PageTopMargin, RowSpacing);
    for (const roster::FieldInfo &info : roster::RowFields)
        standOver(m_captions[static_cast<std::size_t>(fieldView(info.field).captionNumber)], field(0, info.field));
}

void RosterView::placeBesideNote(QWidget *panel, QWidget *focusedFirst)
{
    m_bottom->addWidget(panel, 1);
    setTabOrder(m_note, focusedFirst);
}

void RosterView::setFocusOrder()
{
    // Calculate first; then each row from its name to its Clear button (the spin
    // buttons follow their fields in row 0, and come after Clear, AC first, in the
    // other rows); then the amount boxes with their buttons; then the list and the note.
    QList<QWidget *> order{m_calculate};
    for (int r = 0; r < roster::RowCount; ++r) {
        QList<QWidget *> spins;
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            order << field(r, f);
            if (SpinButton *spin = spinAfter(r, f)) {
                if (r == 0)
                    order << spin;
                else
                    spins.prepend(spin);
            }
        }
        order << m_includes[r] << m_clears[r] << spins;
    }
    for (int r = 0; r < roster::RowCount; ++r)
        order << m_amounts[r] << m_substracts[r];
    order << m_list << m_note;

    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}
