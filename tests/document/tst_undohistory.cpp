// The undo history's bounds: many small steps, and a huge note edited again and again.
#include "document/UndoHistory.h"

#include <QtTest>

namespace {
CombatState withNote(const QString &note)
{
    CombatState state;
    state.roster.generalNote = note;
    return state;
}
} // namespace

class TestUndoHistory : public QObject
{
    Q_OBJECT

private slots:
    void keepsHundredsOfSmallSteps();
    void aHugeNoteCannotFillTheMemory();
    void turnRecordsCount();
};

void TestUndoHistory::keepsHundredsOfSmallSteps()
{
    UndoHistory history;
    CombatState state;
    for (int i = 0; i < 600; ++i) {
        CombatState next = state;
        next.roster.rows[i % 19].hp = QString::number(i);
        history.push(QStringLiteral("step %1").arg(i), state, next);
        state = next;
    }
    QCOMPARE(history.count(), UndoHistory::MaxSteps);
    QVERIFY(UndoHistory::MaxSteps >= 100);
    int undone = 0;
    while (history.canUndo()) {
        history.undo();
        ++undone;
    }
    QCOMPARE(undone, UndoHistory::MaxSteps);
    QCOMPARE(history.redoText(), QStringLiteral("step 100")); // the oldest went first
}

void TestUndoHistory::aHugeNoteCannotFillTheMemory()
{
    UndoHistory history;
    const QString huge(4 * 1024 * 1024, u'x'); // 8 MiB of text
    CombatState state = withNote(huge);
    for (int i = 0; i < 100; ++i) {
        CombatState next = withNote(huge + QString::number(i)); // a new copy each time
        history.push(QStringLiteral("typing in Other Notes"), state, next);
        state = next;
    }
    QVERIFY(history.bytes() <= UndoHistory::MaxBytes);
    QVERIFY(history.count() >= 1);
    QVERIFY(history.count() < 100);
    QCOMPARE(history.undo().roster.generalNote, huge + QString::number(98)); // the newest step stays
}

// What the turns' records hold counts against the bound, once per step that adds it.
void TestUndoHistory::turnRecordsCount()
{
    UndoHistory history;
    CombatState state;
    const QString longName(100'000, u'x');
    for (int i = 0; i < 10; ++i) {
        CombatState next = state;
        next.turn.taken.push({{0, 0}, 1, {{}, {{0, longName}}, {}, 0, 0, false, {}, {}}});
        history.push(QStringLiteral("Next Turn"), state, next);
        state = next;
    }
    const qsizetype perTurn = longName.size() * qsizetype(sizeof(QChar));
    QVERIFY(history.bytes() >= 10 * perTurn);
    QVERIFY(history.bytes() < 11 * perTurn + 10 * 2 * qsizetype(sizeof(CombatState)));
}

QTEST_GUILESS_MAIN(TestUndoHistory)
#include "tst_undohistory.moc"
