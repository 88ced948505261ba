#pragma once

#include "document/RecoveryWriter.h"
#include "files/StateFile.h"

#include <QObject>

#include <memory>

class CombatDocument;
class MainFrm;

// A crash costs nothing: the document's combat is kept in this program's state file, and
// the newest combat an ended Fraymark left unsaved is offered back in the window's
// recovery bar.
class CrashRecovery : public QObject
{
    Q_OBJECT

public:
    // Nothing when FRAYMARK_NO_RECOVERY=1: then nothing is written or offered.
    static std::unique_ptr<CrashRecovery> start(CombatDocument &document, MainFrm &window,
                                                const QString &folder = files::stateFolderPath());
    ~CrashRecovery() override;

    // Exit: the combat is written one last time and marked closed.
    void close();
    // This program's state file; empty when it cannot be kept.
    QString statePath() const;

private:
    CrashRecovery(CombatDocument &document, MainFrm &window);
    void offer(std::unique_ptr<files::LeftState> left);
    void restore();
    void discard();
    // The offer has left: a message that waited for the bar takes it.
    void offerLeft();

    CombatDocument &m_document;
    MainFrm &m_window;
    std::unique_ptr<RecoveryWriter> m_writer;
    std::unique_ptr<files::LeftState> m_offered;
    QString m_waitingMessage;
};
