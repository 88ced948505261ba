// Creating the window's controls and laying them out. Column widths start from the
// original twips table (15 twips to a pixel), grow where a Linux font needs more, and
// the text columns take whatever width the window has beyond that. The roster sits
// in a scroll area, so a screen smaller than the window still reaches every control;
// the column captions stand above the area's viewport, so they stay in view.
#include "app/MainFrm.h"

#include "app/CaptionedScrollArea.h"
#include "app/FixedSizeItem.h"
#include "app/OrderItemDelegate.h"
#include "app/RowFieldControls.h"
#include "app/SpinButton.h"
#include "app/WrappingButton.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
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
// What a window manager's frame and title bar take from the screen, at most.
constexpr int FrameAllowanceWidth = 16;
constexpr int FrameAllowanceHeight = 48;
// The smallest roster area on a screen too small for the whole window.
constexpr QSize SmallestScrolledArea(320, 240);

// Grid columns after the row fields' own, left to right.
enum Column { ChkCol = roster::FieldCount, ClearCol, SubsTxtCol, SubsCmdCol };

int columnOf(roster::Field field)
{
    return roster::fieldInfo(field).column;
}

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

// RosterArea is a CaptionedScrollArea (made in createControls).
CaptionedScrollArea *captioned(QScrollArea *area)
{
    return static_cast<CaptionedScrollArea *>(area);
}

} // namespace

void MainFrm::createControls()
{
    auto *area = new CaptionedScrollArea(this);
    RosterArea = area;
    RosterArea->setObjectName(QStringLiteral("RosterArea"));
    RosterArea->setFrameShape(QFrame::NoFrame);
    RosterArea->setWidgetResizable(true);
    RosterArea->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls, not to the area around them
    setCentralWidget(RosterArea);
    auto *central = new QWidget;
    central->setObjectName(QStringLiteral("central"));
    setAcceptDrops(true); // a combat file dropped on the window loads

    QWidget *strip = area->captionStrip();
    for (int i = 0; i < roster::FieldCount; ++i) {
        const char *caption = roster::fieldInfo(CaptionFields[i]).caption;
        Label1[i] = CaptionFields[i] == roster::Field::Initiative ? new TwoLineCaption(QLatin1String(caption), strip)
                                                                 : new QLabel(QLatin1String(caption), strip);
        Label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i));
        Label1[i]->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    }
    Label1[5]->setWordWrap(true);

    auto makeField = [&](const char *array, int index, const char *label) {
        return ::makeField(central, array, index, label);
    };

    for (int r = 0; r < roster::RowCount; ++r) {
        // Left to right, each spin button after its field.
        for (const roster::Field f : roster::FieldsInColumnOrder) {
            const roster::FieldInfo &info = roster::fieldInfo(f);
            (this->*FieldControls[static_cast<std::size_t>(f)])[r] = makeField(FieldArrays[static_cast<std::size_t>(f)], r, info.caption);
            if (f == roster::Field::HitPoints)
                UpDown1[r] = named(new SpinButton(central), "UpDown1", r, "HP up/down");
            else if (f == roster::Field::ArmourClass)
                UpDown2[r] = named(new SpinButton(central), "UpDown2", r, "AC up/down");
        }
        ChrChk[r] = named(new QCheckBox(central), "ChrChk", r, "include");
        cmdClear[r] = named(new QPushButton(QStringLiteral("Clear"), central), "cmdClear", r, "Clear");
        SubsTxt[r] = makeField("SubsTxt", r, "amount");
        SubsCmd[r] = named(new QPushButton(QStringLiteral("Substract"), central), "SubsCmd", r, "Substract");
        // Enter presses a focused button as Space does, outside dialogs too.
        for (QPushButton *button : {cmdClear[r], SubsCmd[r]})
            button->setAutoDefault(true);
    }

    List = new QListWidget(central);
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

void MainFrm::layOutControls()
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
    auto captionWidth = [&](roster::Field f) {
        return boldMetrics.horizontalAdvance(QLatin1String(roster::fieldInfo(f).caption)) + CaptionMargin;
    };

    // Field widths: the twips of the original layout, or what the font needs for a
    // typical value and for the caption above, whichever is larger. The text columns
    // (name, note, attack, damage) start there and grow with the window.
    const int nameWidth = fieldWidth(2535, "");
    const int spinWidth = std::max(pixels(255), MinSpinWidth);
    const int hpWidth = std::max(fieldWidth(420, "-5000"), captionWidth(roster::Field::HitPoints) - spinWidth);
    const int iniWidth = std::max(fieldWidth(750, "-10"),
                                  boldMetrics.horizontalAdvance(QStringLiteral("Initiative")) + CaptionMargin);
    const int acWidth = std::max(fieldWidth(420, "-10"), captionWidth(roster::Field::ArmourClass) - spinWidth);
    const int noteWidth = fieldWidth(2400, "");
    const int willWidth = std::max(fieldWidth(375, "+12"), captionWidth(roster::Field::Will));
    const int fortWidth = std::max(fieldWidth(375, "+12"), captionWidth(roster::Field::Fort));
    const int rexWidth = std::max(fieldWidth(375, "+12"), captionWidth(roster::Field::Rex));
    const int attackWidth = std::max(fieldWidth(615, "+4 shortbow"), captionWidth(roster::Field::Attack));
    const int damageWidth = std::max(fieldWidth(615, "2d8+7"), captionWidth(roster::Field::Damage));
    // The starting width of each field, in the order of roster::Field.
    const std::array<int, roster::FieldCount> widths{nameWidth, hpWidth,   acWidth,     iniWidth,   noteWidth,
                                                     willWidth, fortWidth, rexWidth,    attackWidth, damageWidth};
    const int clearWidth = buttonWidth(600, cmdClear[0]->text());
    const int subsTxtWidth = fieldWidth(735, "-100");
    const int subsCmdWidth = buttonWidth(855, SubsCmd[0]->text());

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(ColumnSpacing);
    grid->setVerticalSpacing(RowSpacing);
    // The extra width goes to the free-text columns, the long ones taking more.
    grid->setColumnStretch(columnOf(roster::Field::Name), 3);
    grid->setColumnStretch(columnOf(roster::Field::Note), 3);
    grid->setColumnStretch(columnOf(roster::Field::Attack), 2);
    grid->setColumnStretch(columnOf(roster::Field::Damage), 2);

    // The captions stand above the page; each column keeps room for its caption.
    Label1[5]->setFixedSize(iniWidth + BottomSpacing, 2 * boldMetrics.height());
    for (int i = 0; i < roster::FieldCount; ++i) {
        const int column = roster::fieldInfo(CaptionFields[i]).column;
        const int width = i == 5 ? Label1[5]->width() : captionWidth(CaptionFields[i]);
        grid->setColumnMinimumWidth(column, width);
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
            FieldEdit *control = field(r, info.field);
            const int width = widths[static_cast<std::size_t>(info.field)];
            switch (info.field) {
            case roster::Field::HitPoints:
                grid->addLayout(fieldWithSpin(control, UpDown1[r], width), r, info.column);
                break;
            case roster::Field::ArmourClass:
                grid->addLayout(fieldWithSpin(control, UpDown2[r], width), r, info.column);
                break;
            case roster::Field::Name:
            case roster::Field::Note:
            case roster::Field::Attack:
            case roster::Field::Damage:
                stretch(control, info.column, width);
                break;
            default:
                place(control, info.column, width);
                break;
            }
        }
        grid->addWidget(ChrChk[r], r, ChkCol, Qt::AlignCenter);
        place(cmdClear[r], ClearCol, clearWidth);
        place(SubsTxt[r], SubsTxtCol, subsTxtWidth);
        place(SubsCmd[r], SubsCmdCol, subsCmdWidth);
    }

    // Under the roster: the fighting order, its button, and the general note. The
    // list and the note take the extra height.
    const int bottomHeight = std::max(pixels(1455), BottomRows * fieldHeight);
    List->setMinimumSize(nameWidth + hpWidth + spinWidth + ColumnSpacing + 40, bottomHeight);
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

    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(BottomSpacing);
    bottom->addWidget(List, 1);
    auto *order = new QVBoxLayout;
    order->setSpacing(RowSpacing);
    order->addWidget(Command1);
    order->addWidget(NextTurnCmd);
    order->addStretch(1);
    bottom->addLayout(order);
    bottom->addLayout(notes, 2);

    auto *page = new QVBoxLayout(central);
    page->setContentsMargins(PageMargin, 0, PageMargin, PageMargin); // the caption strip holds the top margin
    page->setSpacing(PageSpacing);
    page->addLayout(grid);
    page->addLayout(bottom, 1);
    // The turn line under the list, its buttons and the note: the whole width for long names.
    page->addWidget(RoundLbl);
    RosterArea->setWidget(central);

    CaptionedScrollArea *area = captioned(RosterArea);
    area->setCaptionMargins(PageTopMargin, RowSpacing);
    for (int i = 0; i < roster::FieldCount; ++i)
        area->standOver(Label1[i], field(0, CaptionFields[i]));
}

void MainFrm::fitToScreen()
{
    // Nothing is clipped at the content's minimum; a screen smaller than that gets
    // a window that fits it and a roster that scrolls.
    CaptionedScrollArea *area = captioned(RosterArea);
    area->fitCaptions(); // the captions are bold by now
    const QSize content = RosterArea->widget()->minimumSizeHint() + QSize(0, area->stripHeight());
    const QSize chrome(0, menuBar()->sizeHint().height());
    const QSize usable = screen()->availableGeometry().size() - QSize(FrameAllowanceWidth, FrameAllowanceHeight);
    const QSize whole = content + chrome;
    if (whole.width() <= usable.width() && whole.height() <= usable.height()) {
        RosterArea->setMinimumSize(content);
    } else {
        RosterArea->setMinimumSize(SmallestScrolledArea.boundedTo(content));
    }
    resize(whole.boundedTo(usable));
}
void MainFrm::setFocusOrder()
{
    // Command1 first; then each row from its name to its Clear button (the spin
    // buttons follow their fields in row 0, and come after Clear, AC first, in the
    // other rows); then the amount boxes with their buttons; then the list and the note.
    QList<QWidget *> order{Command1};
    for (int r = 0; r < roster::RowCount; ++r) {
        if (r == 0) {
            order << ChrName[r] << ChrHP[r] << UpDown1[r] << ChrIni[r] << ChrAC[r] << UpDown2[r];
        } else {
            order << ChrName[r] << ChrHP[r] << ChrIni[r] << ChrAC[r];
        }
        order << ChrNote[r] << ChrWill[r] << ChrFort[r] << ChrRex[r] << ChrAttack[r] << ChrDamage[r]
              << ChrChk[r] << cmdClear[r];
        if (r != 0)
            order << UpDown2[r] << UpDown1[r];
    }
    for (int r = 0; r < roster::RowCount; ++r)
        order << SubsTxt[r] << SubsCmd[r];
    order << List << NotesTxt;

    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}
