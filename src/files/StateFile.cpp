#include "files/StateFile.h"

#include "files/CombatFileRead.h"
#include "files/CombatFormat.h"
#include "files/CombatWriter.h"
#include "files/FightSection.h"
#include "files/platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir> // path strings only: every look at the disk goes through the platform layer
#include <QSet>
#include <QUrl>

#include <utility>

namespace files {
namespace {

// "combat-<pid>-<start in ms>.ini", its lock "….lock": two programs never share a name.
const QString FilePrefix = QStringLiteral("combat-");
const QString FileSuffix = QStringLiteral(".ini");
const QString LockSuffix = QStringLiteral(".lock");

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

QString lockNameOf(const QString &name)
{
    return name.chopped(FileSuffix.size()) + LockSuffix;
}

// The file and its lock go. The lock goes while still held, so nobody takes a lock on a
// name about to vanish.
void removeFiles(const platform::PrivateFolder &folder, const QString &name, int lock)
{
    folder.removeFile(name);
    folder.removeFile(lockNameOf(name));
    platform::releaseLock(lock);
}

// The mark at the end of a state file: its last bytes hold it, unless the amount boxes
// written before it are long, when the whole file is read.
std::optional<RecoveryMark> readMarkOf(const platform::PrivateFolder &folder, const QString &name, bool &empty)
{
    constexpr qint64 MarkedEnd = 8192;
    QByteArray bytes;
    empty = false;
    if (!folder.readFile(name, MarkedEnd, bytes, true).ok())
        return std::nullopt;
    empty = bytes.isEmpty();
    // A tail cut in the middle of a line: that line is the section's before it, never its own.
    if (std::optional<RecoveryMark> mark = readRecoveryMark(ProfileReader(bytes)); mark || bytes.size() < MarkedEnd)
        return mark;
    if (!folder.readFile(name, MaxCombatFileSize, bytes).ok())
        return std::nullopt;
    return readRecoveryMark(ProfileReader(bytes));
}

// Copies of ended programs do not pile up: beyond the newest few, those last written long
// ago go unread, and beyond MostCopies every one, as no start would ever offer them before
// the newer ones (and each start would list them all).
void removeOldCopies(const platform::PrivateFolder &folder, const QList<platform::PrivateFolder::Listed> &files,
                     const QString &offered, const std::atomic<bool> *stop)
{
    constexpr int CopiesKept = 10;
    const qint64 longAgo = QDateTime::currentMSecsSinceEpoch() - qint64(OldCopyDays) * 24 * 60 * 60 * 1000;
    int copies = 0;
    for (const platform::PrivateFolder::Listed &file : files) {
        if (stop && *stop)
            return;
        if (!file.name.endsWith(FileSuffix))
            continue;
        ++copies;
        if (copies <= CopiesKept || (copies <= MostCopies && file.modified >= longAgo) || file.name == offered)
            continue;
        int lock = -1;
        const platform::Result locked = folder.tryLock(lockNameOf(file.name), false, lock);
        if (locked.ok() || locked.fault == platform::Fault::Missing)
            removeFiles(folder, file.name, lock);
    }
}

// Why the state folder cannot hold the copies, as a sentence for the user.
QString folderProblem(const QString &folder, const platform::Result &result)
{
    const QString shown = QDir::toNativeSeparators(folder);
    switch (result.fault) {
    case platform::Fault::ForeignLink:
    case platform::Fault::OthersFile:
        return QStringLiteral("The folder \"%1\" is %2 of the user \"%3\", so no copy of the combat is kept there.")
            .arg(shown,
                 result.fault == platform::Fault::ForeignLink ? QStringLiteral("a link") : QStringLiteral("a folder"),
                 result.owner);
    case platform::Fault::SharedFolderLink:
        return QStringLiteral("The way to the folder \"%1\" goes through a link in \"%2\", which others may write, so "
                              "no copy of the combat is kept there.")
            .arg(shown, QDir::toNativeSeparators(result.via));
    case platform::Fault::OpenFolder:
        return QStringLiteral("The folder \"%1\" is inside \"%2\", where others may rename or replace what it holds, "
                              "so no copy of the combat is kept there.")
            .arg(shown, QDir::toNativeSeparators(result.via));
    case platform::Fault::NotAFolder:
        return QStringLiteral("The folder \"%1\" cannot be made: \"%2\" is a file, not a folder.")
            .arg(shown, QDir::toNativeSeparators(result.place));
    default:
        return QStringLiteral("The folder \"%1\" cannot be made (%2).")
            .arg(shown, result.systemText.isEmpty() ? QDir::toNativeSeparators(result.place) : result.systemText);
    }
}

} // namespace

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

LoadOutcome loadStateFile(const QByteArray &bytes, const roster::Roster &current)
{
    const ProfileReader reader(bytes);
    LoadOutcome outcome = loadCombatWithFight(reader, current);
    if (outcome.status == LoadOutcome::Status::Loaded)
        takeBoxes(reader, outcome.roster);
    return outcome;
}

std::shared_ptr<platform::PrivateFolder> openStateFolder(const QString &folder, QString &problem)
{
    std::unique_ptr<platform::PrivateFolder> opened;
    if (const platform::Result result = platform::PrivateFolder::open(folder, opened); !result.ok()) {
        problem = folderProblem(folder, result);
        return nullptr;
    }
    return opened;
}

std::unique_ptr<StateFile> StateFile::open(const QString &folderPath, QString &problem)
{
    const std::shared_ptr<platform::PrivateFolder> folder = openStateFolder(folderPath, problem);
    if (!folder)
        return nullptr;
    QString name;
    int lock = -1;
    platform::Result locked;
    // The same name twice is one program opening two files in one millisecond.
    for (qint64 start = QDateTime::currentMSecsSinceEpoch(); name.isEmpty() || locked.fault == platform::Fault::Busy;
         ++start) {
        name = FilePrefix + QString::number(QCoreApplication::applicationPid()) + u'-' + QString::number(start)
            + FileSuffix;
        locked = folder->tryLock(lockNameOf(name), true, lock);
    }
    if (!locked.ok()) {
        problem = QStringLiteral("No file can be made in the folder \"%1\" (%2).")
                      .arg(QDir::toNativeSeparators(folderPath),
                           locked.systemText.isEmpty() ? QDir::toNativeSeparators(locked.place) : locked.systemText);
        return nullptr;
    }
    return std::unique_ptr<StateFile>(new StateFile(folder, name, lock));
}

StateFile::StateFile(std::shared_ptr<platform::PrivateFolder> folder, QString name, int lock)
    : m_folder(std::move(folder))
    , m_name(std::move(name))
    , m_lock(lock)
{
}

StateFile::~StateFile()
{
    // The file stays for the next start; the lock says nobody holds it any more.
    qint64 size = 0;
    if (m_folder->fileSize(m_name, size).fault == platform::Fault::Missing)
        m_folder->removeFile(lockNameOf(m_name));
    platform::releaseLock(m_lock);
}

QString StateFile::path() const
{
    return m_folder->path() + u'/' + m_name;
}

SaveOutcome StateFile::write(const QByteArray &bytes) const
{
    const QString shown = QDir::toNativeSeparators(path());
    if (!m_folder->stillAtItsPath().ok())
        return {false,
                QStringLiteral("The folder \"%1\" is no longer the one Fraymark made for its copies: it was moved or "
                               "replaced, so no copy is written there any more.")
                    .arg(QDir::toNativeSeparators(m_folder->path())),
                QString()};
    const platform::Result written = m_folder->writeFile(m_name, bytes);
    if (written.ok())
        return {true, QString(), QString()};
    m_folder->removeFile(m_name);
    return {false,
            QStringLiteral("The file \"%1\" cannot be written: %2.")
                .arg(shown,
                     written.systemText.isEmpty() ? QDir::toNativeSeparators(written.place) : written.systemText),
            QString()};
}

void StateFile::clear() const
{
    m_folder->removeFile(m_name);
}

std::unique_ptr<LeftState> LeftState::findNewest(const QString &folderPath, const std::atomic<bool> *stop)
{
    QString problem;
    const std::shared_ptr<platform::PrivateFolder> folder = openStateFolder(folderPath, problem);
    QList<platform::PrivateFolder::Listed> files;
    if (!folder || !folder->listFiles(FilePrefix, files).ok())
        return nullptr;
    QSet<QString> copies;
    copies.reserve(files.size());
    for (const platform::PrivateFolder::Listed &file : std::as_const(files)) {
        if (file.name.endsWith(FileSuffix))
            copies.insert(file.name);
    }
    // Newest written first, so that a start reads only the copies newer than the one it
    // offers, however many older ones wait their turn.
    std::unique_ptr<LeftState> newest;
    for (const platform::PrivateFolder::Listed &file : std::as_const(files)) {
        if (newest || (stop && *stop))
            break;
        if (!copies.contains(file.name))
            continue;
        int lock = -1;
        // A lock that cannot be taken: its program runs. None at all: its program is gone.
        const platform::Result locked = folder->tryLock(lockNameOf(file.name), false, lock);
        if (!locked.ok() && locked.fault != platform::Fault::Missing)
            continue;
        bool empty = false;
        const std::optional<RecoveryMark> mark = readMarkOf(*folder, file.name, empty);
        // Saved, or ended before its first write had a byte in it: nothing to offer.
        if ((mark && mark->saved) || empty) {
            removeFiles(*folder, file.name, lock);
        } else if (mark) {
            // The one offered is held, so that no other Fraymark offers it meanwhile.
            newest.reset(new LeftState(folder, file.name, lock, *mark));
            if (lock < 0 && !folder->tryLock(lockNameOf(file.name), true, newest->m_lock).ok())
                newest.reset();
        } else {
            platform::releaseLock(lock);
        }
    }
    removeOldCopies(*folder, files, newest ? newest->m_name : QString(), stop);
    // Locks of programs that ended before their first change.
    for (const platform::PrivateFolder::Listed &file : std::as_const(files)) {
        if (!file.name.endsWith(LockSuffix))
            continue;
        const QString name = file.name.chopped(LockSuffix.size()) + FileSuffix;
        int lock = -1;
        if (!copies.contains(name) && folder->tryLock(file.name, false, lock).ok())
            removeFiles(*folder, name, lock);
    }
    return newest;
}

LeftState::LeftState(std::shared_ptr<platform::PrivateFolder> folder, QString name, int lock, RecoveryMark mark)
    : m_folder(std::move(folder))
    , m_name(std::move(name))
    , m_lock(lock)
    , m_mark(std::move(mark))
{
}

LeftState::~LeftState()
{
    platform::releaseLock(m_lock);
}

QString LeftState::path() const
{
    return m_folder->path() + u'/' + m_name;
}

QByteArray LeftState::read(QString &problem) const
{
    QByteArray bytes;
    const platform::Result result = m_folder->readFile(m_name, MaxCombatFileSize, bytes);
    if (!result.ok()) {
        problem = QStringLiteral("The unsaved combat in \"%1\" cannot be read (%2).")
                      .arg(QDir::toNativeSeparators(path()),
                           result.systemText.isEmpty() ? QStringLiteral("it is no ordinary file of a size a combat "
                                                                        "has")
                                                       : result.systemText);
        return {};
    }
    return bytes;
}

void LeftState::remove()
{
    removeFiles(*m_folder, m_name, std::exchange(m_lock, -1));
}

} // namespace files
