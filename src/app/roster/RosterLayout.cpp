// Creating the window's controls and laying them out. Column widths start from the
// original twips table (15 twips to a pixel), grow where a Linux font needs more, and
// the text columns take whatever width the window has beyond that. The roster sits
// in a scroll area, so a screen smaller than the window still reaches every control;
// the column captions stand above the area's viewport, so they stay in view.
#include "app/roster/RosterView.h"

#include "app/widgets/FixedSizeItem.h"
#include "app/order/OrderItemDelegate.h"
#include "app/order/OrderModel.h"
#include "app/roster/FieldViews.h"
#include "app/widgets/SpinButton.h"
#include "app/widgets/WrappingButton.h"

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
enum Column { ChkCol = roster::FieldCount, ClearCol, SubsTxtCol, SubsCmdCol };

QString rowName(int index, const char *what)
{
    return QStringLiteral("Row %1 %2").arg(index + 1).arg(QLatin1String(what));
}

// Fields draw with the application's style (FieldStyle, set up before any window).
FieldEdit *makeField(QWidget *parent, const char *array, int index, const char *label)
{
    auto *field = new FieldEdit(parent);
    field->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index));
    field->setAccessibleName(rowName(index, label));
    return field;
}

template <typename Control>
Control *named(Control *control, const char *array, int index, const char *label)
{
    control->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(array)).arg(index));
    control->setAccessibleName(rowName(index, label));
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
    for (const roster::FieldInfo &info : roster::RowFields) {
        const FieldView &view = fieldView(info.field);
        QLabel *&caption = Label1[static_cast<std::size_t>(view.caption)];
        caption = info.field == roster::Field::Initiative ? new TwoLineCaption(QLatin1String(info.caption), strip)
                                                          : new QLabel(QLatin1String(info.caption), strip);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(view.caption));
        caption->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }
    Label1[fieldView(roster::Field::Initiative).caption]->setWordWrap(true);

    auto makeField = [&](const char *array, int index, const char *label) {
        return ::makeField(central, array, index, label);
    };

    for (int r = 0; r < roster::RowCount; ++r) {
        // Left to right, each spin button after its field.
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            const roster::FieldInfo &info = roster::fieldInfo(f);
            const FieldView &view = fieldView(f);
            (this->*view.controls)[r] = makeField(view.array, r, info.caption);
            if (view.spin) {
                const QString label = QLatin1String(info.caption) + QStringLiteral(" up/down");
                (this->*view.spin)[r] = named(new SpinButton(central), view.spinArray, r, qPrintable(label));
                (this->*view.spin)[r]->setBuddy((this->*view.controls)[r]);
            }
        }
        ChrChk[r] = named(new QCheckBox(central), "ChrChk", r, "include");
        cmdClear[r] = named(new QPushButton(QStringLiteral("Clear"), central), "cmdClear", r, "Clear");
        SubsTxt[r] = makeField("SubsTxt", r, "amount");
        SubsCmd[r] = named(new QPushButton(QStringLiteral("Substract"), central), "SubsCmd", r, "Substract");
        // Enter presses a focused button as Space does, outside dialogs too.
        for (QPushButton *button : {cmdClear[r], SubsCmd[r]})
            button->setAutoDefault(true);
    }

    List = new QListView(central);
    List->setModel(&m_order);
    List->setObjectName(QStringLiteral("List"));
    List->setAccessibleName(QStringLiteral("Fighting order"));
    List->setItemDelegate(new OrderItemDelegate(List));

    Command1 = new WrappingButton(QStringLiteral("Calculate Fighting Order"), central);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(true);

    // Beside the order: whose turn it is. Off the Tab chain, which stays as it was.
    NextTurnCmd = new QPushButton(QStringLiteral("Next Turn"), central);
    NextTurnCmd->setObjectName(QStringLiteral("NextTurnCmd"));
    NextTurnCmd->setFocusPolicy(Qt::NoFocus);
    RoundLbl = new QLabel(central);
    RoundLbl->setObjectName(QStringLiteral("RoundLbl"));
    RoundLbl->setAccessibleName(QStringLiteral("Round"));
    RoundLbl->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The turn line reads across a table: larger and bold.
    QFont turnFont = RoundLbl->font();
    turnFont.setPointSizeF(turnFont.pointSizeF() * TurnLineScale);
    turnFont.setBold(true);
    RoundLbl->setFont(turnFont);
    // The marked turn stays as clear when the focus is elsewhere as when it is in the list.
    QPalette marked = List->palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        marked.setColor(QPalette::Inactive, role, marked.color(QPalette::Active, role));
    List->setPalette(marked);

    Label2 = new QLabel(QStringLiteral("Other Notes"), central);
    Label2->setObjectName(QStringLiteral("Label2"));

    NotesTxt = new NoteEdit(central);
    NotesTxt->setObjectName(QStringLiteral("NotesTxt"));
    NotesTxt->setAccessibleName(QStringLiteral("Other Notes"));
    NotesTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    NotesTxt->setTabChangesFocus(true);
    Label2->setBuddy(NotesTxt);
}

void RosterView::layOutControls()
{
    QWidget *central = ChrName[0]->parentWidget(); // the page inside the scroll area

    const QFontMetrics metrics(font());
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics boldMetrics(bold);

    const int fieldHeight = ChrName[0]->sizeHint().height();
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
            width = std::max(width, captionWidth(info.field) - (view.spin ? spinWidth : 0));
        widths[static_cast<std::size_t>(info.field)] = width;
    }
    auto widthOf = [&](roster::Field f) { return widths[static_cast<std::size_t>(f)]; };
    const int clearWidth = buttonWidth(600, cmdClear[0]->text());
    const int subsTxtWidth = fieldWidth(735, "-100");
    const int subsCmdWidth = buttonWidth(855, SubsCmd[0]->text());

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(ColumnSpacing);
    grid->setVerticalSpacing(RowSpacing);
    // The extra width goes to the free-text columns, the long ones taking more. The
    // captions stand above the page; each column keeps room for its caption.
    QLabel *twoLines = Label1[fieldView(roster::Field::Initiative).caption];
    // The second line starts a line spacing below the first, which with some fonts is
    // more than the height of a line.
    twoLines->setFixedSize(widthOf(roster::Field::Initiative) + BottomSpacing,
                           boldMetrics.lineSpacing() + boldMetrics.height());
    for (const roster::FieldInfo &info : roster::RowFields) {
        const FieldView &view = fieldView(info.field);
        grid->setColumnStretch(info.column, view.stretch);
        const QLabel *caption = Label1[static_cast<std::size_t>(view.caption)];
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
            if (view.spin)
                grid->addLayout(fieldWithSpin(control, (this->*view.spin)[r], width), r, info.column);
            else if (view.stretch > 0)
                stretch(control, info.column, width);
            else
                place(control, info.column, width);
        }
        grid->addWidget(ChrChk[r], r, ChkCol, Qt::AlignCenter);
        place(cmdClear[r], ClearCol, clearWidth);
        place(SubsTxt[r], SubsTxtCol, subsTxtWidth);
        place(SubsCmd[r], SubsCmdCol, subsCmdWidth);
    }

    // Under the roster: the fighting order, its button, and the general note. The
    // list and the note take the extra height.
    const int bottomHeight = std::max(pixels(1455), BottomRows * fieldHeight);
    List->setMinimumSize(widthOf(roster::Field::Name) + widthOf(roster::Field::HitPoints) + spinWidth + ColumnSpacing + 40, bottomHeight);
    const int orderWidth = std::max(pixels(1095), Command1->sizeHint().width());
    const int nextTurnHeight = NextTurnCmd->sizeHint().height();
    Command1->setFixedSize(orderWidth, bottomHeight - nextTurnHeight - RowSpacing);
    NextTurnCmd->setFixedSize(orderWidth, nextTurnHeight);
    RoundLbl->setFixedHeight(RoundLbl->fontMetrics().height());
    RoundLbl->setMinimumWidth(orderWidth);
    NotesTxt->setMinimumHeight(bottomHeight - Label2->sizeHint().height() - RowSpacing);

    auto *notes = new QVBoxLayout;
    notes->setSpacing(RowSpacing);
    notes->addWidget(Label2);
    notes->addWidget(NotesTxt, 1);

    auto *bottom = m_bottom = new QHBoxLayout;
    bottom->setSpacing(BottomSpacing);
    bottom->addWidget(List, 1);
    auto *order = new QVBoxLayout;
    order->setSpacing(RowSpacing);
    order->addWidget(Command1);
    order->addWidget(NextTurnCmd);
    order->addStretch(1);
    bottom->addLayout(order);
    bottom->addLayout(notes, 1);

    auto *page = new QVBoxLayout(central);
    page->setContentsMargins(PageMargin, 0, PageMargin, PageMargin); // the caption strip holds the top margin
    page->setSpacing(PageSpacing);
    page->addLayout(grid);
    page->addLayout(bottom, 1);
    // The turn line under the list, its buttons and the note: the whole width for long names.
    page->addWidget(RoundLbl);
    setWidget(central);

    setCaptionMargins(PageTopMargin, RowSpacing);
    for (const roster::FieldInfo &info : roster::RowFields)
        standOver(Label1[static_cast<std::size_t>(fieldView(info.field).caption)], field(0, info.field));
}

void RosterView::placeBesideNote(QWidget *panel, QWidget *focusedFirst)
{
    m_bottom->addWidget(panel, 1);
    setTabOrder(NotesTxt, focusedFirst);
}

void RosterView::setFocusOrder()
{
    // Command1 first; then each row from its name to its Clear button (the spin
    // buttons follow their fields in row 0, and come after Clear, AC first, in the
    // other rows); then the amount boxes with their buttons; then the list and the note.
    QList<QWidget *> order{Command1};
    for (int r = 0; r < roster::RowCount; ++r) {
        QList<QWidget *> spins;
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            order << field(r, f);
            if (const FieldView &view = fieldView(f); view.spin) {
                if (r == 0)
                    order << (this->*view.spin)[r];
                else
                    spins.prepend((this->*view.spin)[r]);
            }
        }
        order << ChrChk[r] << cmdClear[r] << spins;
    }
    for (int r = 0; r < roster::RowCount; ++r)
        order << SubsTxt[r] << SubsCmd[r];
    order << List << NotesTxt;

    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}
