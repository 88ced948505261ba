#pragma once

#include "document/CommandResult.h"

#include <QtTest>

// A command of the document that the test expects to be done: a refusal fails the test
// with the document's sentence.
#define QVERIFY_DONE(command)                                                                  \
    do {                                                                                       \
        const CommandResult done_ = (command);                                                 \
        QVERIFY2(done_.isDone(), qPrintable(done_.sentence()));                                \
    } while (false)

// The same in a helper that returns a value, where QVERIFY cannot stand: a refusal is a
// fault of the test's set-up and stops the test program with the sentence.
inline void mustBeDone(const CommandResult &result)
{
    if (result.isRefused())
        qFatal("refused: %s", qPrintable(result.sentence()));
}
