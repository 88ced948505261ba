#pragma once

// How a save goes, and the undoing of one cut off, the same on every system: the platform
// layer gives the steps in its own terms (`Steps`), these decide which to take.
//   Result open();                  the file at the end of the way, opened for reading and
//                                   writing (none for a name still free)
//   bool hasFile() const;
//   JournaledFile &file();          the file opened, for its journal
//   bool replaceableWhole() const;  a new file in its place would be it all over (one name,
//                                   the saver's own where owners differ)
//   void clearLeftovers();          what dead saves left beside it
//   Result replaceAtomically(const QByteArray &bytes, bool &kept);
//                                   a new file over it, when that keeps it what it was (`kept`)
//   Result lock();                  exclusive, waiting a moment: Busy when held on
//   bool stillNamed() const;        the name still leads to the file opened
//   Result refused(Fault fault) const;
#include "files/platform/SaveJournal.h"
#include "files/platform/SteadyRead.h"

namespace files::platform {

// Puts `bytes` into the file, as replaceFileContents promises.
template <typename Steps>
Result replaceContents(Steps &steps, const QByteArray &bytes, const PrivateFolder *journals)
{
    for (int attempt = 0; attempt < LookupTries; ++attempt) {
        if (Result opened = steps.open(); !opened.ok())
            return opened;
        // A file replaceable whole with no cut save to settle gets a new file in its place,
        // which takes no lock: no program that merely reads the file can hold such a save up.
        const bool settle = steps.hasFile() && journals && hasJournal(steps.file(), *journals);
        const bool whole = !steps.hasFile() || (steps.replaceableWhole() && !settle);
        bool kept = false;
        if (whole) {
            steps.clearLeftovers();
            if (Result result = steps.replaceAtomically(bytes, kept); !result.ok() || kept || !steps.hasFile())
                return result;
        }
        // Into the file itself, locked, so that saves through any of its names wait for each
        // other; a name given another file while it waited leads to the file to save now.
        if (Result locked = steps.lock(); !locked.ok())
            return locked;
        if (!steps.stillNamed())
            continue;
        Result recovered;
        if (settle) {
            recovered = settleJournal(steps.file(), *journals);
            if (!recovered.ok())
                return recovered;
            steps.clearLeftovers();
        }
        Result result;
        if (!whole && steps.replaceableWhole())
            result = steps.replaceAtomically(bytes, kept);
        if (result.ok() && !kept)
            result = journals ? writeInPlace(steps.file(), bytes, *journals) : steps.refused(Fault::NoJournals);
        result.putBack = recovered.putBack;
        result.setAside = recovered.setAside;
        result.journalDamaged = recovered.journalDamaged;
        result.cutSave = recovered.cutSave;
        return result;
    }
    return steps.refused(Fault::Unsettled);
}

// Settles a journal of the file opened (`steps.hasFile()`, else nothing to settle), as
// recoverInterruptedSave promises. Only a file with a journal of the user's is locked.
template <typename Steps>
Result recoverCutSave(Steps &steps, const PrivateFolder *journals)
{
    Result result;
    if (journals && steps.hasFile() && hasJournal(steps.file(), *journals)) {
        if (Result locked = steps.lock(); !locked.ok())
            return locked.fault == Fault::Busy ? locked : Result();
        if (steps.stillNamed())
            result = settleJournal(steps.file(), *journals);
    }
    steps.clearLeftovers();
    return result;
}

// The whole file, once a save writing into it is done: `lockShared` takes the lock,
// waiting a moment, and says whether it was held on; `readAll` reads it whole. A file kept
// locked longer is read once it holds still. Busy when it kept changing; false from
// `readAll` leaves the error for the caller to tell (`Failed`).
template <typename LockShared, typename ReadAll>
SteadyRead readOnceWritten(LockShared lockShared, ReadAll readAll, QByteArray &bytes)
{
    if (!lockShared())
        return readSteadily(readAll, bytes);
    return readAll(bytes) ? SteadyRead::Read : SteadyRead::Failed;
}

} // namespace files::platform
