#pragma once

#include "app/dialogs/Prompts.h"

// The real dialogs: QMessageBox, QFileDialog and the condition dialog.
class QtPrompts final : public Prompts
{
public:
    void message(QWidget *parent, const QString &text, const QString &title, Icon icon) override;
    int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices) override;
    QString askSavePath(QWidget *parent, const QString &title, const QString &filter,
                        const QString &startPath, const QString &defaultSuffix) override;
    QString askOpenPath(QWidget *parent, const QString &title, const QString &filter,
                        const QString &startFolder) override;
    QString askFolder(QWidget *parent, const QString &title, const QString &startFolder) override;
};
