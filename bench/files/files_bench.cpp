// Times saving and loading a full combat with long texts: 19 rows whose fields
// hold about 100 characters each and a general note of about 2,000 characters.
// Usage: files_bench [rounds]   (default 500)

#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdlib>

namespace {

QString filler(const QString &seed, int length)
{
    QString text;
    while (text.size() < length)
        text += seed;
    text.truncate(length);
    return text;
}

roster::Roster longCombat(const QString &letters)
{
    roster::Roster roster;
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        const QString seed = QStringLiteral("Row %1 %2 = [x]; ").arg(r).arg(letters);
        row.name = filler(seed, 100);
        row.hp = QString::number(r * 7 - 30) + filler(seed, 97);
        row.ac = filler(seed, 100);
        row.ini = filler(seed, 100);
        row.note = filler(seed, 100);
        row.will = filler(seed, 100);
        row.fort = filler(seed, 100);
        row.rex = filler(seed, 100);
        row.attack = filler(seed, 100);
        row.damage = filler(seed, 100);
    }
    QString note;
    for (int line = 0; note.size() < 2000; ++line)
        note += filler(QStringLiteral("Line %1 of the notes %2 ").arg(line).arg(letters), 78) + u'\n';
    roster.generalNote = note;
    return roster;
}

struct Timing
{
    double saveMicros = 0;
    double loadMicros = 0;
};

Timing timeRounds(const roster::Roster &combat, const QString &path, int rounds)
{
    QElapsedTimer clock;
    qint64 saveNanos = 0;
    qint64 loadNanos = 0;
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        const files::SaveOutcome saved = files::saveCombatFile(combat, path);
        saveNanos += clock.nsecsElapsed();
        clock.start();
        const files::LoadOutcome loaded = files::loadCombatFile(path, roster::Roster());
        loadNanos += clock.nsecsElapsed();
        if (!saved.ok || loaded.status != files::LoadOutcome::Status::Loaded) {
            QTextStream(stderr) << "round trip failed: " << saved.error << loaded.message << Qt::endl;
            std::exit(1);
        }
    }
    return {saveNanos / 1000.0 / rounds, loadNanos / 1000.0 / rounds};
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString path = dir.filePath(QStringLiteral("bench.ini"));

    QTextStream out(stdout);
    const struct { const char *label; QString letters; } kinds[] = {
        {"windows-1252", QStringLiteral("Orc é€")},
        {"utf-8", QStringLiteral("Дракон 🐉")},
    };
    for (const auto &kind : kinds) {
        const roster::Roster combat = longCombat(kind.letters);
        const qsizetype bytes = files::combatFileBytes(combat).size();
        timeRounds(combat, path, std::max(1, rounds / 10)); // warm the caches
        const Timing t = timeRounds(combat, path, rounds);
        out << kind.label << ": file " << bytes << " bytes, " << rounds << " rounds: save "
            << QString::number(t.saveMicros, 'f', 1) << " us, load " << QString::number(t.loadMicros, 'f', 1)
            << " us, round trip " << QString::number(t.saveMicros + t.loadMicros, 'f', 1) << " us" << Qt::endl;

        // The same round trip in memory: what is the format's work and what the file system's.
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i) {
            const files::LoadOutcome loaded = files::loadCombat(files::combatFileBytes(combat), roster::Roster());
            if (loaded.roster.generalNote.isEmpty())
                return 1;
        }
        out << kind.label << ": in memory, round trip " << QString::number(clock.nsecsElapsed() / 1000.0 / rounds, 'f', 1)
            << " us" << Qt::endl;
    }
    return 0;
}
