#include "files/StateFile.h"

#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CombatWriter.h"
#include "files/FightSection.h"
#include "files/platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir> // path strings only: every look at the disk goes through the platform layer
#include <QUrl>

#include <utility>

namespace files {
namespace {

// "combat-<pid>-<start in ms>.ini", its lock "….lock": two programs never share a name.
const QString FilePrefix = QStringLiteral("combat-");
const QString FileSuffix = QStringLiteral(".ini");
const QString LockSuffix = QStringLiteral(".lock");

QString lockPathOf(const QString &path)
{
    return path.chopped(FileSuffix.size()) + LockSuffix;
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

std::optional<bool> readFlag(const ProfileReader &file, const QString &key)
{
    const QString value = file.ReadIniValue(RecoverySectionName, key).trimmed();
    if (value == u"0" || value == u"1")
        return value == u"1";
    return std::nullopt;
}

std::optional<RecoveryMark> readMarkOf(const QString &path)
{
    QByteArray bytes;
    if (!platform::readWholeFile(path, MaxCombatFileSize, bytes).ok())
        return std::nullopt;
    return readRecoveryMark(ProfileReader(bytes));
}

const QString ChecksKey = QStringLiteral("Checks");

QString amountKey(int row)
{
    return QStringLiteral("Amount%1").arg(row);
}

// What a combat file leaves out: the include boxes (a load sets them from the hit points)
// and the amount boxes.
QString boxesLines(const roster::Roster &roster)
{
    QStringList checks;
    QString amounts;
    for (int r = 0; r < roster::RowCount; ++r) {
        const roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        checks += QString::number(row.check);
        if (!row.amount.isEmpty())
            amounts += amountKey(r) + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(row.amount))
                + QLatin1StringView(LineEnd);
    }
    return ChecksKey + u'=' + checks.join(u',') + QLatin1StringView(LineEnd) + amounts;
}

void takeBoxes(const ProfileReader &file, roster::Roster &roster)
{
    const QStringList checks = file.ReadIniValue(RecoverySectionName, ChecksKey).split(u',');
    for (int r = 0; r < roster::RowCount; ++r) {
        roster::Row &row = roster.rows[static_cast<std::size_t>(r)];
        bool number = false;
        const int check = checks.size() == roster::RowCount ? checks[r].toInt(&number) : -1;
        if (number && check >= 0 && check <= 2)
            row.check = qint16(check);
        row.amount = QUrl::fromPercentEncoding(file.ReadIniValue(RecoverySectionName, amountKey(r)).toLatin1());
    }
}

void removeFiles(const QString &path, const QString &lockPath, int lock)
{
    platform::removeFile(path);
    // The lock file goes while still held, so nobody takes a lock on a name about to vanish.
    platform::removeFile(lockPath);
    platform::releaseLock(lock);
}

bool nothingAt(const QString &path)
{
    qint64 size = 0;
    return platform::fileSize(path, size).fault == platform::Fault::Missing;
}

// Nothing at the path, or a file without a byte in it.
bool holdsNothing(const QString &path)
{
    qint64 size = 0;
    const platform::Result sized = platform::fileSize(path, size);
    return sized.fault == platform::Fault::Missing || (sized.ok() && size == 0);
}

// The state files and locks in `folder` whose names end in `suffix`; none when it cannot be read.
QStringList pathsIn(const QString &folder, const QString &suffix)
{
    QStringList names;
    if (!platform::listFiles(folder, FilePrefix, suffix, names).ok())
        return {};
    for (QString &name : names)
        name.prepend(folder + u'/');
    return names;
}

} // namespace

QString stateFolderPath()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
#ifdef Q_OS_WIN
    // Windows keeps a user's state for this machine in the local application data.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/AppData/Local");
#else
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return QDir::cleanPath(base + QStringLiteral("/fraymark"));
}

bool recoveryTurnedOff()
{
    return qEnvironmentVariable("FRAYMARK_NO_RECOVERY").trimmed() == u"1";
}

QByteArray stateFileBytes(const roster::Roster &roster, const QList<combat::OrderEntry> &order,
                          const combat::FightRecord &turn, const RecoveryMark &mark)
{
    const QString section = QStringLiteral("[%1]%2Changed=%3%2Saved=%4%2Closed=%5%2")
                                .arg(RecoverySectionName, QLatin1StringView(LineEnd),
                                     mark.changed.toUTC().toString(Qt::ISODateWithMs), flag(mark.saved),
                                     flag(mark.closed))
        + boxesLines(roster);
    QByteArray bytes = combatFileBytes(roster) + fightSectionText(roster, order, turn).toLatin1() + section.toLatin1();
    // A load takes no more than this; a state it could not take back is no use.
    if (bytes.size() > MaxCombatFileSize)
        return {};
    return bytes;
}

std::optional<RecoveryMark> readRecoveryMark(const ProfileReader &file)
{
    const QDateTime changed = QDateTime::fromString(
        file.ReadIniValue(RecoverySectionName, QStringLiteral("Changed")).trimmed(), Qt::ISODateWithMs);
    const std::optional<bool> saved = readFlag(file, QStringLiteral("Saved"));
    const std::optional<bool> closed = readFlag(file, QStringLiteral("Closed"));
    if (!changed.isValid() || !saved || !closed)
        return std::nullopt;
    return RecoveryMark{changed.toUTC(), *saved, *closed};
}

LoadOutcome loadStateFile(const QString &path, const roster::Roster &current)
{
    QByteArray bytes;
    if (const QString reason = readCombatFileBytes(path, bytes); !reason.isEmpty()) {
        LoadOutcome refused{LoadOutcome::Status::Refused, current, {}, reason.arg(QDir::toNativeSeparators(path)),
                            {}, {}, {}, {}, {}};
        return refused;
    }
    const ProfileReader reader(bytes);
    LoadOutcome outcome = loadCombatWithFight(reader, current);
    if (outcome.status == LoadOutcome::Status::Loaded)
        takeBoxes(reader, outcome.roster);
    return outcome;
}

std::unique_ptr<StateFile> StateFile::open(const QString &folder, QString &problem)
{
    const platform::Result made = platform::makePrivateFolder(folder);
    if (made.fault == platform::Fault::ForeignLink || made.fault == platform::Fault::OthersFile) {
        problem = QStringLiteral("The folder \"%1\" is %2 of the user \"%3\", so no copy of the combat is "
                                 "kept there.")
                      .arg(QDir::toNativeSeparators(folder),
                           made.fault == platform::Fault::ForeignLink ? QStringLiteral("a link") : QStringLiteral("a folder"),
                           made.owner);
        return nullptr;
    }
    if (!made.ok()) {
        problem = QStringLiteral("The folder \"%1\" cannot be made (%2).")
                      .arg(QDir::toNativeSeparators(folder),
                           made.systemText.isEmpty() ? QDir::toNativeSeparators(made.place) : made.systemText);
        return nullptr;
    }
    QString path;
    int lock = -1;
    platform::Result locked;
    // The same name twice is one program opening two files in one millisecond.
    for (qint64 start = QDateTime::currentMSecsSinceEpoch(); path.isEmpty() || locked.fault == platform::Fault::Busy;
         ++start) {
        // One arg() for all: a later one would take a "%1" in the folder's name for its own.
        path = QStringLiteral("%1/%2%3-%4%5")
                   .arg(folder, FilePrefix, QString::number(QCoreApplication::applicationPid()),
                        QString::number(start), FileSuffix);
        locked = platform::tryLockFile(lockPathOf(path), lock);
    }
    if (!locked.ok()) {
        problem = QStringLiteral("No file can be made in the folder \"%1\" (%2).")
                      .arg(QDir::toNativeSeparators(folder),
                           locked.systemText.isEmpty() ? QStringLiteral("it is locked") : locked.systemText);
        return nullptr;
    }
    return std::unique_ptr<StateFile>(new StateFile(path, lockPathOf(path), lock));
}

StateFile::StateFile(QString path, QString lockPath, int lock)
    : m_path(std::move(path))
    , m_lockPath(std::move(lockPath))
    , m_lock(lock)
{
}

StateFile::~StateFile()
{
    // The file stays for the next start; the lock says nobody holds it any more.
    if (nothingAt(m_path))
        platform::removeFile(m_lockPath);
    platform::releaseLock(m_lock);
}

SaveOutcome StateFile::write(const QByteArray &bytes) const
{
    // A save gives a new file the usual permissions and keeps those of an old one: made
    // first, empty and for the owner alone, the file stays that way. Anything else at its
    // name (a link, another's file, a folder) is not written through.
    const platform::Result own = platform::makeOwnFile(m_path);
    switch (own.fault) {
    case platform::Fault::None:
        return saveBytesKeepingTheFile(bytes, m_path);
    case platform::Fault::ForeignLink:
    case platform::Fault::OthersFile:
    case platform::Fault::IsFolder:
    case platform::Fault::NotOrdinary:
        return {false, QStringLiteral("\"%1\" is not this program's own file; nothing was written to it.")
                           .arg(QDir::toNativeSeparators(m_path)), QString()};
    default:
        return {false, QStringLiteral("The file \"%1\" cannot be made: %2.")
                           .arg(QDir::toNativeSeparators(m_path),
                                own.systemText.isEmpty() ? QDir::toNativeSeparators(own.place) : own.systemText),
                QString()};
    }
}

std::unique_ptr<LeftState> LeftState::findNewest(const QString &folder, const std::atomic<bool> *stop)
{
    std::unique_ptr<LeftState> newest;
    for (const QString &path : pathsIn(folder, FileSuffix)) {
        if (stop && *stop)
            return newest;
        int lock = -1;
        if (!platform::tryLockFile(lockPathOf(path), lock).ok())
            continue; // its program runs, or the lock cannot be had: not ours to judge
        const std::optional<RecoveryMark> mark = readMarkOf(path);
        // Saved, or ended before its first write had a byte in it: nothing to offer.
        if ((mark && mark->saved) || holdsNothing(path)) {
            removeFiles(path, lockPathOf(path), lock);
        } else if (mark && (!newest || mark->changed > newest->m_mark.changed)) {
            newest.reset(new LeftState(path, lockPathOf(path), lock, *mark));
        } else {
            platform::releaseLock(lock);
        }
    }
    // Locks of programs that ended before their first change.
    for (const QString &lockPath : pathsIn(folder, LockSuffix)) {
        const QString path = lockPath.chopped(LockSuffix.size()) + FileSuffix;
        int lock = -1;
        if (nothingAt(path) && platform::tryLockFile(lockPath, lock).ok())
            removeFiles(path, lockPath, lock);
    }
    return newest;
}

LeftState::LeftState(QString path, QString lockPath, int lock, RecoveryMark mark)
    : m_path(std::move(path))
    , m_lockPath(std::move(lockPath))
    , m_lock(lock)
    , m_mark(std::move(mark))
{
}

LeftState::~LeftState()
{
    platform::releaseLock(m_lock);
}

void LeftState::remove()
{
    removeFiles(m_path, m_lockPath, std::exchange(m_lock, -1));
}

} // namespace files
