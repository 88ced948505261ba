#include "WindowTest.h"

bool WindowTest::openWindow()
{
    m_fixture = std::make_unique<WindowFixture>();
    return m_fixture->show(m_shown);
}
