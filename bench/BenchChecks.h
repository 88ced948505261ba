#pragma once

#include "document/CommandResult.h"

#include <QtGlobal>

// A benchmark's step that must be done: a refused one would time something else, so it
// stops the program with the document's sentence.
inline void mustBeDone(const CommandResult &result)
{
    if (result.isRefused())
        qFatal("refused: %s", qPrintable(result.sentence()));
}
