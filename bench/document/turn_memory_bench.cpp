// Resident memory of a document through many turns of a combatant with a huge note.
// Usage: turn_memory_bench [note characters] [turns] [condition]
//   (default 1000000 characters, 1000 turns; with "condition", the note also holds
//   "[Held: 99]", so that every turn changes it)
// Prints the resident memory before and after, and what the undo history counts.

#include "../BenchChecks.h"
#include "document/CombatDocument.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>

namespace {

// VmRSS of this process in KiB, from /proc.
long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    const qsizetype noteLength = argc > 1 ? std::atol(argv[1]) : 1'000'000;
    const int turns = argc > 2 ? std::atoi(argv[2]) : 1000;
    const bool condition = argc > 3 && QByteArray(argv[3]) == "condition";

    CombatDocument doc;
    mustBeDone(doc.setFieldText(0, roster::Field::Name, QStringLiteral("Ogre")));
    mustBeDone(doc.setFieldText(0, roster::Field::Initiative, QStringLiteral("12")));
    QString note(noteLength, u'x');
    if (condition)
        note += QStringLiteral(" [Held: 99]");
    mustBeDone(doc.setFieldText(0, roster::Field::Note, note));
    note.clear();
    doc.closeMerge();
    mustBeDone(doc.calculateOrder());

    const long before = residentKiB();
    for (int i = 0; i < turns; ++i)
        mustBeDone(doc.nextTurn());
    const long after = residentKiB();

    std::printf("note %lld characters, %d turns%s\n", static_cast<long long>(noteLength), turns,
                condition ? " (a condition ticking)" : "");
    std::printf("resident before the turns: %.1f MB\n", before / 1024.0);
    std::printf("resident after the turns:  %.1f MB (%+.1f MB)\n", after / 1024.0, (after - before) / 1024.0);
    std::printf("history: %d steps, %.1f MB counted\n", doc.history().count(),
                doc.history().bytes() / (1024.0 * 1024.0));
    return 0;
}
