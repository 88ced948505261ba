#include "files/CombatLoader.h"
#include "files/CombatWriter.h"
#include "roster/FieldError.h"
#include "roster/FieldText.h"

#include <QRandomGenerator>
#include <QtTest>

using files::LoadOutcome;
using roster::Roster;

namespace {

// Random rosters: texts of any script, with the characters that mean something
// in a profile file, blanks at both ends, and notes with line breaks.
class RosterMaker
{
public:
    explicit RosterMaker(quint32 seed) : m_random(seed) {}

    Roster roster()
    {
        m_windows1252Only = m_random.bounded(2) == 0;
        Roster roster;
        for (roster::Row &row : roster.rows) {
            row.name = text();
            row.hp = hitPoints();
            row.ac = text();
            row.ini = text();
            row.note = text();
            row.fort = text();
            row.reflex = text();
            row.will = text();
            row.attack = text();
            row.damage = text();
            row.amount = text();
            row.check = static_cast<qint16>(m_random.bounded(3));
            row.down = m_random.bounded(2) == 0;
        }
        roster.generalNote = note();
        return roster;
    }

    bool windows1252Only() const { return m_windows1252Only; }

private:
    char32_t character()
    {
        static const char32_t special[] = {u'=', u'[', u']', u';', u' ', u'\t', u'"', u'(', u')',
                                           0x00, 0x0B, 0x0C, 0x20AC, 0x2019, 0x0178, 0x00A0};
        static const QList<QPair<char32_t, char32_t>> wide = {
            {0x0400, 0x04FF}, {0x0590, 0x05FF}, {0x0600, 0x06FF}, {0x0900, 0x097F}, {0x3040, 0x30FF},
            {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3}, {0x1F300, 0x1F6FF}, {0x1F900, 0x1F9FF},
            {0x0080, 0x009F}, {0x2028, 0x2029}, {0xFFF0, 0xFFFD},
        };
        switch (m_random.bounded(m_windows1252Only ? 3 : 4)) {
        case 0:
            return special[m_random.bounded(int(std::size(special)))];
        case 1:
            return 0x20 + m_random.bounded(0x5F);
        case 2:
            return 0xA0 + m_random.bounded(0x60);
        default: {
            const auto &[low, high] = wide.at(m_random.bounded(int(wide.size())));
            return low + m_random.bounded(int(high - low + 1));
        }
        }
    }

    QString text()
    {
        const int length = m_random.bounded(20) == 0 ? 200 + m_random.bounded(400) : m_random.bounded(16);
        QString text;
        for (int i = 0; i < length; ++i) {
            char32_t c = character();
            if (m_windows1252Only && c >= 0x80 && c <= 0x9F)
                c = u'~';
            text += QString::fromUcs4(&c, 1);
        }
        if (m_random.bounded(4) == 0)
            text = QStringLiteral("  ") + text + QStringLiteral(" \t");
        return text;
    }

    QString hitPoints()
    {
        switch (m_random.bounded(3)) {
        case 0:
            return QString::number(m_random.bounded(40) - 25);
        case 1:
            return QString::number(m_random.bounded(400) / 10.0 - 25.0) + text();
        default:
            return text();
        }
    }

    QString note()
    {
        static const QString breaks[] = {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")};
        const int lines = m_random.bounded(5);
        QString note = text();
        for (int i = 0; i < lines; ++i)
            note += breaks[m_random.bounded(3)] + (m_random.bounded(3) == 0 ? QStringLiteral("[Info3]=") : text());
        note.replace(QStringLiteral("(t55)"), QStringLiteral("(t56)"));
        return note;
    }

    QRandomGenerator m_random;
    bool m_windows1252Only = false;
};

// What a load of `saved` over `current` must give: the saved texts, the current
// amounts, each row active or down from its hit points, the note's breaks as '\n'.
std::optional<Roster> expectedLoad(const Roster &saved, const Roster &current)
{
    Roster expected = saved;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = expected.rows[r];
        row.amount = current.rows[r].amount;
        try {
            row.down = roster::textToNumber(row.hp) <= -10.0;
        } catch (const roster::FieldError &) {
            return std::nullopt;
        }
        row.check = row.down ? 0 : 1;
    }
    expected.generalNote.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    expected.generalNote.replace(u'\r', u'\n');
    return expected;
}

} // namespace

class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void randomRostersThroughTheBytes();
};

void TestRoundTrip::randomRostersThroughTheBytes()
{
    RosterMaker maker(0x46524159);
    int windows1252Files = 0;
    for (int n = 0; n < 400; ++n) {
        const Roster saved = maker.roster();
        const bool windows1252Only = maker.windows1252Only();
        const Roster current = maker.roster();
        const QByteArray bytes = files::combatFileBytes(saved);
        if (windows1252Only) {
            QVERIFY2(!bytes.isValidUtf8(), "a Windows-1252 roster went out as UTF-8");
            ++windows1252Files;
        }
        const LoadOutcome outcome = files::loadCombat(bytes, current);
        const std::optional<Roster> expected = expectedLoad(saved, current);
        QVERIFY2(expected, "hit points out of range");
        QCOMPARE(outcome.status, LoadOutcome::Status::Loaded);
        QVERIFY(!outcome.oldVersionRow);
        for (int r = 0; r < roster::RowCount; ++r)
            QCOMPARE(outcome.roster.rows[r], expected->rows[r]);
        QCOMPARE(outcome.roster.generalNote, expected->generalNote);
    }
    QVERIFY(windows1252Files > 100);
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
