#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// Every message box and file dialog of the program goes through this interface, so
// that tests can answer them without a modal window ever opening.
class Prompts
{
public:
    enum class Icon { Information, Warning, Stop };

    virtual ~Prompts() = default;

    // A modal message box with an OK button only.
    virtual void message(QWidget *parent, const QString &text, const QString &title, Icon icon) = 0;

    // A modal question with the buttons `choices`: the first is the default, the last is
    // what Esc and closing the box choose. The index of the one chosen.
    virtual int choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices) = 0;

    // The chosen path, or an empty text when the user cancelled. The save dialog
    // offers `startPath` (a folder, or a file whose name it proposes) and adds
    // `defaultSuffix` to a name typed without one; the open dialog starts in `startFolder`.
    virtual QString askSavePath(QWidget *parent, const QString &title, const QString &filter,
                                const QString &startPath, const QString &defaultSuffix) = 0;
    virtual QString askOpenPath(QWidget *parent, const QString &title, const QString &filter,
                                const QString &startFolder) = 0;
    // A folder chosen, starting in `startFolder`; an empty text when the user cancelled.
    virtual QString askFolder(QWidget *parent, const QString &title, const QString &startFolder) = 0;
};
