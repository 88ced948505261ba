#pragma once

#include <QString>
#include <QStringList>

// Desktop calculators to try, in order of preference.
QStringList calculatorCandidates();

// The full path of the first calculator found in `searchPaths` (the PATH when empty),
// or an empty text when there is none.
QString findCalculator(const QStringList &searchPaths = {});
