#pragma once

#include <QDialog>
#include <QStringList>

class Prompts;
class QListWidget;
class QPushButton;

// Where the library is looked for: its own folder, shown and always searched, and the
// folders the user added, which Add... and Remove change until OK keeps them.
class LibraryFoldersDialog : public QDialog
{
    Q_OBJECT
public:
    LibraryFoldersDialog(QWidget *parent, Prompts &prompts, const QString &ownFolder, const QStringList &added);

    // The added folders as the dialog holds them, in the order added.
    QStringList folders() const;

private:
    void add();
    void remove();
    bool isListed(const QString &folder) const;

    Prompts &m_prompts;
    QString m_ownFolder;
    QListWidget *m_list;
    QPushButton *m_remove;
};
