#pragma once

#include "WindowFixture.h"

#include <QObject>

#include <memory>

// The base of a window test class: each case gets a main window of its own, taken as far
// as the class says before the case and closed after it. Qt Test runs these init() and
// cleanup() for the classes that declare none.
class WindowTest : public QObject
{
    Q_OBJECT

public:
    explicit WindowTest(Shown shown) : m_shown(shown) {}

protected:
    WindowFixture &fixture() { return *m_fixture; }
    MainFrm &window() { return *m_fixture->window; }
    FakePrompts &prompts() { return *m_fixture->prompts; }

    // For a class with more to set up, from its own init() and cleanup().
    [[nodiscard]] bool openWindow();
    void closeWindow() { m_fixture.reset(); }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

private:
    Shown m_shown;
    std::unique_ptr<WindowFixture> m_fixture;
};
