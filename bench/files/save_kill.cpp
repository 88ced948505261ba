// The two halves of scripts/kill-save-loop.sh, which kills saves at random moments.
// Usage: save_kill save <file>    saves combat A and combat B to <file> in turn until killed
//        save_kill check <file>   loads <file> through the loader and prints one line:
//                                 "A", "B" or "torn", the notice flag (0/1) and the leftovers
//                                 (names in the folder other than the file and "other.ini")
// Both combats carry a general note that makes the file about 4 MB.

#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

roster::Roster combatOf(char which)
{
    roster::Roster roster;
    roster.rows[0].name = which == 'A' ? QStringLiteral("Alpha") : QStringLiteral("Beta");
    roster.rows[0].hp = QStringLiteral("12");
    roster.generalNote = QString(4'000'000 / roster::RowCount, QLatin1Char(which == 'A' ? 'a' : 'b'));
    return roster;
}

} // namespace

int main(int argc, char **argv)
{
    QTextStream out(stdout);
    const QByteArray mode = argc == 3 ? QByteArray(argv[1]) : QByteArray();
    if (mode != "save" && mode != "check") {
        QTextStream(stderr) << "usage: save_kill save|check <file>\n";
        return 2;
    }
    const QString path = QFile::decodeName(argv[2]);
    const roster::Roster a = combatOf('A');
    const roster::Roster b = combatOf('B');
    if (mode == "save") {
        for (bool first = true;; first = !first) {
            const files::SaveOutcome outcome = files::saveCombatFile(first ? a : b, path);
            if (!outcome.ok) {
                QTextStream(stderr) << outcome.error << '\n';
                return 1;
            }
        }
    }
    const files::LoadOutcome loaded = files::loadCombatFile(path, roster::Roster());
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const bool loadedWhole = loaded.status == files::LoadOutcome::Status::Loaded;
    const char *which = !loadedWhole                             ? "torn"
        : bytes == files::combatFileBytes(a) && loaded.roster.generalNote == a.generalNote ? "A"
        : bytes == files::combatFileBytes(b) && loaded.roster.generalNote == b.generalNote ? "B"
                                                                 : "torn";
    QStringList leftovers = QDir(QFileInfo(path).absolutePath())
                                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    leftovers.removeAll(QFileInfo(path).fileName());
    leftovers.removeAll(QStringLiteral("other.ini"));
    out << which << ' ' << (loaded.notice.isEmpty() ? 0 : 1) << ' ' << leftovers.size() << '\n';
    return 0;
}
