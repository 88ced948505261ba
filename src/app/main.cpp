#include "app/shell/AppSetup.h"
#include "app/shell/CrashRecovery.h"
#include "app/shell/MainFrm.h"

#include <QApplication>

#ifdef Q_OS_WIN
#include <windows.h>

// Under Wine, Qt's own Windows font engine leaves the text of line edits unpainted; the
// FreeType engine draws it. Windows itself keeps the default.
static void chooseFontEngineUnderWine()
{
    const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    if (wine && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "windows:fontengine=freetype");
}
#endif

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    chooseFontEngineUnderWine();
    // The library is read in a thread of its own, and there the stat block reader's patterns,
    // compiled to machine code, bring the MinGW build down: they stay interpreted, which costs
    // a block well under a millisecond more. Before anything matches a pattern.
    qputenv("QT_ENABLE_REGEXP_JIT", "0");
#endif
    QApplication app(argc, argv);
    setUpApplication(app);

    CombatDocument document; // outlives the windows that show it
    MainFrm window(document);
    // Looks for what an ended Fraymark left while the window comes up.
    const std::unique_ptr<CrashRecovery> recovery = CrashRecovery::start(document);
    if (recovery)
        window.attachRecovery(*recovery);
    window.show();
    const int status = app.exec();
    if (recovery)
        recovery->close();
    return status;
}
