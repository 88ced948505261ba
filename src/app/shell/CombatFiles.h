#pragma once

#include "app/shell/Prompts.h"
#include "files/CombatLoader.h"

#include <QString>

class CombatDocument;
class QMimeData;

// The combat files of the File menu: a combat saved or loaded through its dialog, or the
// combatants of a file added. Errors are shown over `window`.
class CombatFiles
{
public:
    CombatFiles(CombatDocument &document, Prompts &prompts, QWidget *window, const QString &version);

    void save();
    void askAndLoad();
    void askAndAdd();
    void load(const QString &path);
    void add(const QString &path);

private:
    void showError(const QString &message);
    // Says why a combat file was not read, or warns of an old one; true when it was read.
    bool showReadOutcome(const files::LoadOutcome &outcome);

    CombatDocument &m_document;
    Prompts &m_prompts;
    QWidget *m_window;
    QString m_version;
};

// The one local file a drag carries, or "" when it carries anything else.
QString draggedCombatFile(const QMimeData *data);
