#pragma once

// The journal of a save into the file itself (a file of several names, another's file), the
// same on every system: the platform files give it the file, it does the rest. A journal
// lives in the user's private folder, named after the file's device and inode (on Windows
// its volume and file index), and holds the path the save was given, the old content and the
// new, with their sizes and SHA-256, on the disk before the file is touched. It is only ever
// trusted to put back what its own save cut.
#include "files/platform/FileSystem.h"

#include <QByteArray>
#include <QtGlobal>
#include <QString>

#include <utility>

namespace files::platform {

// What a save in place needs of its file, open for reading and writing and locked.
class JournaledFile
{
public:
    virtual ~JournaledFile() = default;
    // Whether the system told the numbers below.
    virtual bool known() const = 0;
    // The numbers every name of the file shares.
    virtual quint64 device() const = 0;
    virtual quint64 inode() const = 0;
    virtual qint64 size() const = 0;
    // The path it was reached by, as the user is told it.
    virtual QString path() const = 0;
    // All of the file, at most `limit` bytes; false on an error or a longer file.
    virtual bool readAll(qint64 limit, QByteArray &bytes) = 0;
    // `bytes` as the whole file, made to last.
    virtual bool writeWhole(const QByteArray &bytes) = 0;
    // The error of the last call above that failed, at the file.
    virtual Result failure() const = 0;
};

// A file as the platform layer has it open.
#ifdef Q_OS_WIN
using OpenedFile = void *; // a HANDLE
#else
using OpenedFile = int; // a descriptor
#endif

// What the platform layer does with a file it has open, for its journal; each layer
// defines these for its own kind of file.
namespace opened {
bool numbers(OpenedFile file, quint64 &device, quint64 &inode, qint64 &size);
bool readAll(OpenedFile file, qint64 limit, QByteArray &bytes);
bool writeWhole(OpenedFile file, const QByteArray &bytes);
// The error of the last call that failed, at `path`.
Result lastFailure(const QString &path);
} // namespace opened

// A file the platform layer has open, as the journal sees it.
class OpenFile final : public JournaledFile
{
public:
    OpenFile(OpenedFile file, QString path)
        : m_file(file)
        , m_path(std::move(path))
        , m_known(opened::numbers(file, m_device, m_inode, m_size))
        , m_failure(m_known ? Result() : opened::lastFailure(m_path))
    {
    }

    bool known() const override { return m_known; }
    quint64 device() const override { return m_device; }
    quint64 inode() const override { return m_inode; }
    qint64 size() const override { return m_size; }
    QString path() const override { return m_path; }
    bool readAll(qint64 limit, QByteArray &bytes) override { return kept(opened::readAll(m_file, limit, bytes)); }
    bool writeWhole(const QByteArray &bytes) override
    {
        if (!kept(opened::writeWhole(m_file, bytes)))
            return false;
        m_size = bytes.size();
        return true;
    }
    Result failure() const override { return m_failure; }

private:
    bool kept(bool done)
    {
        if (!done)
            m_failure = opened::lastFailure(m_path);
        return done;
    }

    OpenedFile m_file;
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    qint64 m_size = 0;
    bool m_known;
    Result m_failure;
};

// The most old content a journal keeps: a save over anything larger is refused.
constexpr qint64 LargestSavedOver = qint64(64) << 20;

// Whether `journals` holds a journal of the file, left by a save cut off.
bool hasJournal(const JournaledFile &file, const PrivateFolder &journals);
// Puts `bytes` into the file after a journal in `journals`; a failure part way puts the old
// content back (or, when even that fails, keeps it aside: `keptCopy`).
Result writeInPlace(JournaledFile &file, const QByteArray &bytes, const PrivateFolder &journals);
// Settles a journal of the file left by a cut-off save: the old content put back when the
// file holds exactly a cut of that save (`putBack`), the journal simply gone when it holds
// the new content or the old whole, and for anything else the file left alone and the old
// content kept aside in `journals` (`setAside`; `cutSave` names the path the save was given
// when it was another). A damaged journal is kept aside itself (`journalDamaged`).
Result settleJournal(JournaledFile &file, const PrivateFolder &journals);

} // namespace files::platform
