#pragma once

#include "app/dialogs/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

// Records every message box and answers file dialogs with prepared paths, so that
// no test ever opens a modal window.
class FakePrompts final : public Prompts
{
public:
    struct Message
    {
        QString text;
        QString title;
        Icon icon;
    };
    struct Dialog
    {
        QString title;
        QString filter;
        QString startPath;
        QString defaultSuffix;
    };

    void message(QWidget *, const QString &text, const QString &title, Icon icon) override
    {
        messages.append({text, title, icon});
    }

    int choose(QWidget *, const QString &text, const QString &title, const QStringList &choices) override
    {
        questions.append({text, title, choices});
        const QString answer = choiceAnswers.isEmpty() ? QString() : choiceAnswers.takeFirst();
        return answer.isEmpty() ? int(choices.size()) - 1 : int(choices.indexOf(answer));
    }

    QString askSavePath(QWidget *, const QString &title, const QString &filter, const QString &startPath,
                        const QString &defaultSuffix) override
    {
        saveDialogs.append({title, filter, startPath, defaultSuffix});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QString askOpenPath(QWidget *, const QString &title, const QString &filter, const QString &startFolder) override
    {
        openDialogs.append({title, filter, startFolder, QString()});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QString askFolder(QWidget *, const QString &title, const QString &startFolder) override
    {
        folderDialogs.append({title, QString(), startFolder, QString()});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    struct Question
    {
        QString text;
        QString title;
        QStringList choices;
    };

    QList<Message> messages;
    QList<Question> questions;
    QStringList choiceAnswers; // the buttons the next questions are answered with; none: Esc
    QList<Dialog> saveDialogs;
    QList<Dialog> openDialogs;
    QList<Dialog> folderDialogs;
    QStringList answers; // paths the next dialogs return; empty means "cancelled"
};
