#include "combat/TurnTracker.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using combat::TurnState;

Q_DECLARE_METATYPE(combat::TurnState)

namespace combat {
// Found by QCOMPARE through argument-dependent lookup, for readable failures.
char *toString(const TurnState &turn)
{
    return QTest::toString(QStringLiteral("marked %1, round %2").arg(turn.marked).arg(turn.round));
}
} // namespace combat

class TestTurnTracker : public QObject
{
    Q_OBJECT

private slots:
    // Each step of `steps` ('N' Next Turn, 'P' Previous Turn) from `start`, and the state after it.
    void steps_data()
    {
        QTest::addColumn<QList<int>>("listRows");
        QTest::addColumn<QList<int>>("downRows");
        QTest::addColumn<TurnState>("start");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<TurnState>>("after");

        const QList<int> three{4, 0, 7};
        QTest::newRow("next through two rounds") << three << QList<int>{} << TurnState{} << u"NNNN"_s
            << QList<TurnState>{{0, 1}, {1, 1}, {2, 1}, {0, 2}};
        QTest::newRow("previous back to the first turn, then stays")
            << three << QList<int>{} << TurnState{2, 2} << u"PPPPP"_s
            << QList<TurnState>{{1, 2}, {0, 2}, {2, 1}, {1, 1}, {0, 1}};
        QTest::newRow("previous with none marked") << three << QList<int>{} << TurnState{} << u"PN"_s
            << QList<TurnState>{{-1, 0}, {0, 1}};
        QTest::newRow("cleared marker keeps its round") << three << QList<int>{} << TurnState{-1, 3}
            << u"PN"_s << QList<TurnState>{{-1, 3}, {0, 3}};
        QTest::newRow("middle down") << three << QList<int>{0} << TurnState{} << u"NNNPP"_s
            << QList<TurnState>{{0, 1}, {2, 1}, {0, 2}, {2, 1}, {0, 1}};
        QTest::newRow("first down") << three << QList<int>{4} << TurnState{} << u"NNNPPP"_s
            << QList<TurnState>{{1, 1}, {2, 1}, {1, 2}, {2, 1}, {1, 1}, {1, 1}};
        QTest::newRow("last down") << three << QList<int>{7} << TurnState{} << u"NNNP"_s
            << QList<TurnState>{{0, 1}, {1, 1}, {0, 2}, {1, 1}};
        QTest::newRow("marked went down, next") << three << QList<int>{0} << TurnState{1, 2} << u"N"_s
            << QList<TurnState>{{2, 2}};
        QTest::newRow("marked last went down, next wraps") << three << QList<int>{7}
            << TurnState{2, 1} << u"N"_s << QList<TurnState>{{0, 2}};
        QTest::newRow("one item") << QList<int>{3} << QList<int>{} << TurnState{} << u"NNPP"_s
            << QList<TurnState>{{0, 1}, {0, 2}, {0, 1}, {0, 1}};
        QTest::newRow("marker beyond the list") << three << QList<int>{} << TurnState{5, 2}
            << u"PN"_s << QList<TurnState>{{5, 2}, {0, 2}};
        QTest::newRow("empty list") << QList<int>{} << QList<int>{} << TurnState{} << u"NP"_s
            << QList<TurnState>{{-1, 0}, {-1, 0}};
        QTest::newRow("all down") << three << QList<int>{4, 0, 7} << TurnState{1, 2} << u"NP"_s
            << QList<TurnState>{{1, 2}, {1, 2}};
    }

    void steps()
    {
        QFETCH(QList<int>, listRows);
        QFETCH(QList<int>, downRows);
        QFETCH(TurnState, start);
        QFETCH(QString, steps);
        QFETCH(QList<TurnState>, after);
        QCOMPARE(steps.size(), after.size());

        roster::Roster roster;
        for (int row : downRows)
            roster.rows.at(static_cast<std::size_t>(row)).down = true;

        TurnState turn = start;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            turn = steps[i] == u'N' ? combat::nextTurn(turn, listRows, roster)
                                    : combat::previousTurn(turn, listRows, roster);
            QCOMPARE(turn, after[i]);
        }
    }

    void afterRecalculation_data()
    {
        QTest::addColumn<TurnState>("turn");
        QTest::addColumn<QList<int>>("newRows");
        QTest::addColumn<TurnState>("expected");
        // The old list is always rows 4, 0, 7.
        QTest::newRow("moved up") << TurnState{1, 2} << QList<int>{0, 4, 7} << TurnState{0, 2};
        QTest::newRow("moved down") << TurnState{0, 3} << QList<int>{5, 0, 7, 4}
                                    << TurnState{3, 3};
        QTest::newRow("gone") << TurnState{1, 2} << QList<int>{4, 7} << TurnState{-1, 2};
        QTest::newRow("none marked") << TurnState{-1, 4} << QList<int>{4, 0, 7}
                                     << TurnState{-1, 4};
        QTest::newRow("marker beyond the old list") << TurnState{3, 2} << QList<int>{4, 0, 7, 9}
                                                    << TurnState{-1, 2};
    }

    void afterRecalculation()
    {
        QFETCH(TurnState, turn);
        QFETCH(QList<int>, newRows);
        QFETCH(TurnState, expected);
        QCOMPARE(combat::afterRecalculation(turn, {4, 0, 7}, newRows), expected);
    }
};

QTEST_GUILESS_MAIN(TestTurnTracker)
#include "tst_turntracker.moc"
