#include "app/statblocks/StatBlockDialog.h"

#include "roster/Fields.h"
#include "roster/ShownText.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The preview's columns: the count, then the fields in the roster's order, then the marks.
const QList<roster::Field> ShownFields{roster::Field::Name,   roster::Field::HitPoints, roster::Field::Initiative,
                                       roster::Field::ArmourClass, roster::Field::Fort, roster::Field::Reflex,
                                       roster::Field::Will,   roster::Field::Attack,    roster::Field::Damage,
                                       roster::Field::Note};
constexpr int CountColumn = 0;
constexpr int MaximumCount = roster::RowCount;
constexpr qsizetype ShownCellLength = 80;
// A pasted text is read again once typing pauses.
constexpr int RereadDelayMs = 150;
// Hundreds of stat blocks, for a roster of 19 rows: what lies beyond is not read, so that no
// paste holds up the window.
constexpr qsizetype LongestText = 100'000;

QString caption(roster::Field field)
{
    return QString::fromLatin1(roster::fieldInfo(field).caption);
}

} // namespace

StatBlockDialog::StatBlockDialog(const QString &text, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("StatBlockDialog"));
    setWindowTitle(QStringLiteral("Add from Stat Block"));
    auto *column = new QVBoxLayout(this);

    auto *textCaption = new QLabel(QStringLiteral("&Stat blocks, as copied from a book, a PDF or a web page:"));
    m_text = new QPlainTextEdit;
    m_text->setObjectName(QStringLiteral("StatBlockText"));
    m_pastedCut = text.size() > LongestText;
    m_text->setPlainText(text.left(LongestText));
    m_text->setTabChangesFocus(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap); // a line of a megabyte would take seconds to wrap
    textCaption->setBuddy(m_text);

    auto *previewCaption = new QLabel(QStringLiteral("&The rows they become (a digit sets how many; 0 leaves one out):"));
    m_preview = new QTableWidget(0, int(ShownFields.size()) + 2);
    m_preview->setObjectName(QStringLiteral("StatBlockPreview"));
    QStringList headers{QStringLiteral("Count")};
    for (const roster::Field field : ShownFields)
        headers << caption(field);
    headers << QStringLiteral("Not read");
    m_preview->setHorizontalHeaderLabels(headers);
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_preview->setSelectionMode(QAbstractItemView::SingleSelection);
    m_preview->verticalHeader()->hide();
    m_preview->installEventFilter(this);
    previewCaption->setBuddy(m_preview);

    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("StatBlockStatus"));
    m_status->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Add"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    column->addWidget(textCaption);
    column->addWidget(m_text, 1);
    column->addWidget(previewCaption);
    column->addWidget(m_preview, 2);
    column->addWidget(m_status);
    column->addWidget(buttons);

    m_reread = new QTimer(this);
    m_reread->setSingleShot(true);
    m_reread->setInterval(RereadDelayMs);
    connect(m_reread, &QTimer::timeout, this, &StatBlockDialog::readText);
    connect(m_text, &QPlainTextEdit::textChanged, m_reread, qOverload<>(&QTimer::start));
    readText();
    m_preview->setFocus(Qt::OtherFocusReason);
    resize(1200, 600);
}

QList<CombatDocument::Arrival> StatBlockDialog::arrivals() const
{
    QList<CombatDocument::Arrival> arrivals;
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        if (m_counts[i] > 0)
            arrivals.append({m_blocks[i].row, m_counts[i]});
    }
    return arrivals;
}

QString StatBlockDialog::status() const
{
    return m_status->text();
}

bool StatBlockDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_preview && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        const int row = m_preview->currentRow();
        if (typed.size() == 1 && typed.front().isDigit() && row >= 0) {
            // Digits typed one after another on a block make one count ("1", "2": 12).
            const int digit = typed.front().digitValue();
            const int joined = m_counts[row] * 10 + digit;
            setCount(row, m_typingRow == row && joined <= MaximumCount ? joined : digit);
            m_typingRow = row;
            return true;
        }
        m_typingRow = -1;
    }
    return QDialog::eventFilter(watched, event);
}

void StatBlockDialog::readText()
{
    const QString text = m_text->toPlainText();
    m_cutShort = m_pastedCut || text.size() > LongestText;
    const QList<combat::StatBlock> blocks = combat::readStatBlocks(text.left(LongestText));
    // A block read again keeps the count it was given.
    QList<int> counts;
    for (qsizetype i = 0; i < blocks.size(); ++i)
        counts.append(i < m_counts.size() ? m_counts[i] : 1);
    m_blocks = blocks;
    m_counts = counts;
    showBlocks();
}

void StatBlockDialog::showBlocks()
{
    const int current = std::max(0, m_preview->currentRow());
    m_preview->setRowCount(int(m_blocks.size()));
    for (int r = 0; r < int(m_blocks.size()); ++r) {
        const combat::StatBlock &block = m_blocks[r];
        for (int c = 0; c < int(ShownFields.size()); ++c) {
            const roster::Field field = ShownFields[c];
            const QString text = block.row.*roster::fieldInfo(field).text;
            auto *cell = new QTableWidgetItem(text.isEmpty() && block.unread.contains(caption(field))
                                                  ? QStringLiteral("(not read)")
                                                  : roster::shownText(text, ShownCellLength));
            cell->setToolTip(text);
            if (block.unread.contains(caption(field)) || block.cut.contains(caption(field)))
                cell->setForeground(palette().color(QPalette::Disabled, QPalette::WindowText));
            m_preview->setItem(r, c + 1, cell);
        }
        QStringList marks;
        if (!block.unread.isEmpty())
            marks << QStringLiteral("not read: ") + block.unread.join(QStringLiteral(", "));
        if (!block.cut.isEmpty())
            marks << QStringLiteral("cut: ") + block.cut.join(QStringLiteral(", "));
        m_preview->setItem(r, int(ShownFields.size()) + 1, new QTableWidgetItem(marks.join(QStringLiteral("; "))));
        setCount(r, m_counts[r]);
    }
    if (!m_blocks.isEmpty())
        m_preview->setCurrentCell(std::min(current, int(m_blocks.size()) - 1), CountColumn);
    m_preview->resizeColumnsToContents();
    // Long attacks and notes keep to a width that leaves every column in sight; the cell's
    // tip holds the whole text.
    const int widest = fontMetrics().averageCharWidth() * 28;
    for (int c = 1; c < m_preview->columnCount(); ++c)
        m_preview->setColumnWidth(c, std::min(m_preview->columnWidth(c), widest));
    showStatus();
}

void StatBlockDialog::setCount(int block, int count)
{
    m_counts[block] = std::clamp(count, 0, MaximumCount);
    auto *cell = new QTableWidgetItem(QString::number(m_counts[block]));
    cell->setTextAlignment(Qt::AlignCenter);
    m_preview->setItem(block, CountColumn, cell);
    showStatus();
}

void StatBlockDialog::showStatus()
{
    if (m_blocks.isEmpty()) {
        m_status->setText(QStringLiteral("No stat block in the text: paste or type one above (a name, then \"hp 45 (6d10+12)\" "
                                         "or \"Hit Dice: 6d10+12 (45 hp)\", its AC, saves and attacks)."));
        return;
    }
    int combatants = 0;
    for (const int count : std::as_const(m_counts))
        combatants += count;
    m_status->setText(QStringLiteral("%1 stat block%2; Enter adds %3 combatant%4 to the free rows, as one step.%5")
                          .arg(m_blocks.size())
                          .arg(m_blocks.size() == 1 ? QString() : QStringLiteral("s"))
                          .arg(combatants)
                          .arg(combatants == 1 ? QString() : QStringLiteral("s"))
                          .arg(m_cutShort ? QStringLiteral(" Only the first %L1 characters of the text are read.").arg(LongestText)
                                          : QString()));
}
