#pragma once

#include "FakePrompts.h"
#include "app/MainFrm.h"

#include <memory>

// A main window with fake dialogs, as every widget test needs it.
struct WindowFixture
{
    WindowFixture()
    {
        auto fake = std::make_unique<FakePrompts>();
        prompts = fake.get();
        window = std::make_unique<MainFrm>(std::move(fake));
        window->setProgramStarter([this](const QString &program) {
            startedPrograms.append(program);
            return true;
        });
    }

    FakePrompts *prompts = nullptr;
    std::unique_ptr<MainFrm> window;
    QStringList startedPrograms;
};
