// The halves of scripts/kill-save-loop.sh, which kills saves at random moments.
// Usage: save_kill save <file>          saves combat A and combat B to <file> in turn until killed
//        save_kill once <file> <A|B|C>  saves that combat once; prints "ok" or "failed <why>"
//        save_kill write <file> <C>     writes the combat's bytes as another program would,
//                                       into the file itself (the inode stays)
//        save_kill check <file>         loads <file> through the loader and prints one line:
//                                       "A", "B", "C" or "torn" (anything else);
//                                       then put back (0/1), set aside (0/1), the names beside the
//                                       file that are not combat files (*.ini), and the journals
//                                       left in the user's state folder after the load
// Each combat carries a general note that makes the file about 4 MB.

#include "files/CombatLoader.h"
#include "files/CombatSave.h"
#include "files/CombatWriter.h"
#include "files/StateFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace {

roster::Roster combatOf(char which)
{
    roster::Roster roster;
    roster.rows[0].name = QStringLiteral("Combat %1").arg(QLatin1Char(which));
    roster.rows[0].hp = QStringLiteral("12");
    roster.generalNote = QString(4'000'000 / roster::RowCount, QLatin1Char(which));
    return roster;
}

int check(const QString &path)
{
    const files::LoadOutcome loaded = files::loadCombatFile(path, roster::Roster());
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QString which = QStringLiteral("torn");
    for (const char name : {'A', 'B', 'C'}) {
        const roster::Roster combat = combatOf(name);
        if (loaded.status == files::LoadOutcome::Status::Loaded && bytes == files::combatFileBytes(combat)
            && loaded.roster.generalNote == combat.generalNote)
            which = QString(QLatin1Char(name));
    }
    const bool putBack = loaded.notice.contains(QStringLiteral("has been put back whole"));
    const bool setAside = loaded.notice.contains(QStringLiteral("is kept in"));
    const QStringList beside = QDir(QFileInfo(path).absolutePath())
                                   .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                                   .filter(QRegularExpression(QStringLiteral("^(?!.*\\.ini$)")));
    const QStringList journals = QDir(files::stateFolderPath())
                                     .entryList({QStringLiteral("journal-*")}, QDir::Files | QDir::Hidden);
    QTextStream(stdout) << which << ' ' << int(putBack) << ' ' << int(setAside) << ' ' << beside.size() << ' '
                        << journals.size() << '\n';
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const QByteArray mode = argc >= 3 ? QByteArray(argv[1]) : QByteArray();
    const bool named = argc == 4 && QByteArray("ABC").contains(argv[3][0]) && argv[3][1] == '\0';
    if (!(argc == 3 && (mode == "save" || mode == "check")) && !(named && (mode == "once" || mode == "write"))) {
        QTextStream(stderr) << "usage: save_kill save|check <file>, save_kill once|write <file> A|B|C\n";
        return 2;
    }
    const QString path = QFile::decodeName(argv[2]);
    if (mode == "check")
        return check(path);
    if (mode == "write") {
        QFile file(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                && file.write(files::combatFileBytes(combatOf(argv[3][0]))) > 0 && file.flush()
            ? 0
            : 1;
    }
    if (mode == "once") {
        const files::SaveOutcome outcome = files::saveCombatFile(combatOf(argv[3][0]), path);
        QTextStream(stdout) << (outcome.ok ? QStringLiteral("ok") : QStringLiteral("failed ") + outcome.error) << '\n';
        return outcome.ok ? 0 : 1;
    }
    const roster::Roster a = combatOf('A');
    const roster::Roster b = combatOf('B');
    for (bool first = true;; first = !first) {
        const files::SaveOutcome outcome = files::saveCombatFile(first ? a : b, path);
        if (!outcome.ok) {
            QTextStream(stderr) << outcome.error << '\n';
            return 1;
        }
    }
}
