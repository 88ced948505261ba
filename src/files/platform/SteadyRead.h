#pragma once

// What both platform layers do alike when a file will not hold still.
#include <QByteArray>
#include <QThread>

#include <utility>

namespace files::platform {

// How often a save looks again when the name it reached led to another file meanwhile.
inline constexpr int LookupTries = 3;

enum class SteadyRead { Read, Failed, KeptChanging };

// The whole file, read by `readAll` (false on an error), once two reads a moment apart agree:
// for a file another program keeps locked, since anyone who may read a file may lock it and
// a lock alone is no reason to refuse a load. One that keeps changing for about two seconds
// is being written.
template <typename ReadAll>
SteadyRead readSteadily(ReadAll readAll, QByteArray &bytes)
{
    constexpr int WaitMs = 2000;
    constexpr int PollMs = 100;
    QByteArray last;
    for (int waited = 0; waited <= WaitMs; waited += PollMs) {
        QByteArray now;
        if (!readAll(now))
            return SteadyRead::Failed;
        if (waited > 0 && now == last) {
            bytes = std::move(now);
            return SteadyRead::Read;
        }
        last = std::move(now);
        QThread::msleep(PollMs);
    }
    return SteadyRead::KeptChanging;
}

} // namespace files::platform
