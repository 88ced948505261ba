#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// Every message box and file dialog of the program goes through this interface, so
// that tests can answer them without a modal window ever opening.
class Prompts
{
public:
    enum class Icon { Information, Stop };

    virtual ~Prompts() = default;

    // A modal message box with an OK button only.
    virtual void message(QWidget *parent, const QString &text, const QString &title, Icon icon) = 0;

    // The chosen path, or an empty text when the user cancelled. The save dialog
    // offers `startPath` (a folder, or a file whose name it proposes) and adds
    // `defaultSuffix` to a name typed without one; the open dialog starts in `startFolder`.
    virtual QString askSavePath(QWidget *parent, const QString &title, const QString &filter,
                                const QString &startPath, const QString &defaultSuffix) = 0;
    virtual QString askOpenPath(QWidget *parent, const QString &title, const QString &filter,
                                const QString &startFolder) = 0;

    // A timed condition to add: a name (offered `names`, any other may be typed) and its
    // rounds, 1 to 99; nothing when the user cancelled.
    struct Condition
    {
        QString name;
        int rounds = 1;
    };
    virtual std::optional<Condition> askCondition(QWidget *parent, const QString &title,
                                                  const QStringList &names) = 0;
};
