#pragma once

#include "files/Library.h"

#include <QObject>
#include <QThread>
#include <QSet>
#include <QStringList>

#include <memory>


// Keeps the index of the user's library, read in a thread of its own so the window never
// waits on the disk. A new start() while one runs is taken up once that one has finished.
class LibraryIndexer : public QObject
{
    Q_OBJECT
public:
    explicit LibraryIndexer(QObject *parent = nullptr);
    // Waits for an index under way: it only reads.
    ~LibraryIndexer() override;

    // Indexes `folders` (files::indexLibrary), then says indexed().
    void start(const QStringList &folders);
    // The same folders again, after a save into one or a change of the list.
    void reindex();

    bool isIndexing() const { return m_thread != nullptr; }
    const QStringList &folders() const { return m_folders; }
    // The last index finished; empty until the first has.
    const QList<files::LibraryEntry> &entries() const { return m_entries; }
    // The files of the last index that could not be read and no earlier index of this run
    // named, each a sentence: the window names each once.
    const QStringList &unreadable() const { return m_unreadable; }

signals:
    void indexed();

private:
    void run();
    void finished(const files::LibraryIndex &index);

    QStringList m_folders;
    std::unique_ptr<QThread> m_thread;
    bool m_again = false;
    QList<files::LibraryEntry> m_entries;
    QStringList m_unreadable;
    QSet<QString> m_named;
};
