#include "app/shell/Calculator.h"

#include <QStandardPaths>

QStringList calculatorCandidates()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("calc")}; // calc.exe, on the system's own path
#else
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("qalculate-gtk"),
            QStringLiteral("galculator"), QStringLiteral("mate-calc"), QStringLiteral("xcalc")};
#endif
}

QString findCalculator(const QStringList &searchPaths)
{
    for (const QString &name : calculatorCandidates()) {
        const QString path = QStandardPaths::findExecutable(name, searchPaths);
        if (!path.isEmpty())
            return path;
    }
    return {};
}
