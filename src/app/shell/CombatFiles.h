#pragma once

#include <QString>

class CombatDocument;
class CommandReporter;
class QWidget;

// The combat files of the File menu: a combat saved or loaded through its dialog, or the
// combatants of a file added. What the document says of them goes to the reporter.
class CombatFiles
{
public:
    CombatFiles(CombatDocument &document, CommandReporter &reporter, QWidget *window);

    void save();
    void askAndLoad();
    void askAndAdd();
    void load(const QString &path);
    void add(const QString &path);

private:
    CombatDocument &m_document;
    CommandReporter &m_reporter;
    QWidget *m_window;
};
