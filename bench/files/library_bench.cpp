// Times indexing a library of 1,000 stat blocks, written as 1,000 files of one block and as
// 100 files of ten, and searching it a key at a time as names are typed. The blocks are made
// up here, from syllables: no monster data.
// Usage: library_bench [rounds]   (default 5)

#include "combat/StatBlock.h"
#include "files/Library.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Entries = 1000;

QString madeName(int n)
{
    static const char *const syllables[] = {"gar", "mok", "thu", "lin", "vesh", "or", "bra", "kel", "zun", "ith"};
    return QStringLiteral("%1%2 %3").arg(QString::fromLatin1(syllables[n % 10]), QString::fromLatin1(syllables[(n / 10) % 10]),
                                          QString::fromLatin1(syllables[(n / 100) % 10]));
}

roster::Row madeRow(int n)
{
    roster::Row row;
    row.name = madeName(n);
    row.hp = QStringLiteral("%1/%1").arg(5 + n % 90);
    row.ac = QString::number(10 + n % 12);
    row.ini = QStringLiteral("+%1").arg(n % 5);
    row.fort = QStringLiteral("+%1").arg(n % 9);
    row.reflex = QStringLiteral("+%1").arg(n % 7);
    row.will = QStringLiteral("+%1").arg(n % 6);
    row.attack = QStringLiteral("Bite +%1").arg(2 + n % 10);
    row.damage = QStringLiteral("1d%1+%2").arg(4 + 2 * (n % 4)).arg(n % 5);
    return row;
}

void writeLibrary(const QString &folder, int files)
{
    const int perFile = Entries / files;
    for (int f = 0; f < files; ++f) {
        QString text;
        for (int b = 0; b < perFile; ++b)
            text += combat::statBlockText(madeRow(f * perFile + b)) + QStringLiteral("\n\n");
        QFile file(QStringLiteral("%1/made-%2.txt").arg(folder).arg(f));
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
}

double indexMs(const QString &folder, int rounds, QList<files::LibraryEntry> &entries)
{
    QList<double> times;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        files::LibraryIndex index = files::indexLibrary({folder});
        times << timer.nsecsElapsed() / 1e6;
        if (index.entries.size() != Entries || !index.unreadable.isEmpty())
            qFatal("indexed %lld entries, %lld unreadable", qlonglong(index.entries.size()),
                   qlonglong(index.unreadable.size()));
        entries = std::move(index.entries);
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

// Each prefix of a few names as it is typed, and a few that name nothing or only by letters.
void timeSearch(const QList<files::LibraryEntry> &entries)
{
    QStringList keys;
    for (const int n : {0, 137, 512, 999}) {
        const QString name = madeName(n);
        for (int i = 1; i <= name.size(); ++i)
            keys << name.left(i);
    }
    keys << QStringLiteral("qqq") << QStringLiteral("gmt") << QStringLiteral("zzzzzzzzzzzz");
    double worst = 0;
    double total = 0;
    for (const QString &key : keys) {
        QElapsedTimer timer;
        timer.start();
        const QList<int> found = files::searchLibrary(entries, key);
        const double ms = timer.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        total += ms;
        if (found.size() > Entries)
            qFatal("found more than there is");
    }
    std::printf("  search: %lld keys, mean %.3f ms, worst %.3f ms a key\n", qlonglong(keys.size()),
                total / double(keys.size()), worst);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    for (const int files : {1000, 100}) {
        QTemporaryDir dir;
        if (!dir.isValid())
            qFatal("no temporary folder");
        writeLibrary(dir.path(), files);
        QList<files::LibraryEntry> entries;
        std::printf("%d entries in %d files: index %.1f ms (median of %d)\n", Entries, files,
                    indexMs(dir.path(), rounds, entries), rounds);
        timeSearch(entries);
    }
    return 0;
}
