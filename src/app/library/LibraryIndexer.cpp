#include "app/library/LibraryIndexer.h"

#include <QMetaObject>

LibraryIndexer::LibraryIndexer(QObject *parent)
    : QObject(parent)
{
}

LibraryIndexer::~LibraryIndexer()
{
    if (m_thread)
        m_thread->wait();
}

void LibraryIndexer::start(const QStringList &folders)
{
    m_folders = folders;
    if (m_thread)
        m_again = true; // what it reads may be out of date by now
    else
        run();
}

void LibraryIndexer::reindex()
{
    start(m_folders);
}

void LibraryIndexer::run()
{
    m_again = false;
    m_thread.reset(QThread::create([this, folders = m_folders] {
        files::LibraryIndex index = files::indexLibrary(folders);
        // Queued to this object's thread; dropped unread when it is gone by then.
        QMetaObject::invokeMethod(
            this, [this, index = std::move(index)] { finished(index); }, Qt::QueuedConnection);
    }));
    m_thread->start(QThread::LowPriority);
}

void LibraryIndexer::finished(const files::LibraryIndex &index)
{
    m_thread->wait(); // it has posted its result: nothing is left for it to do
    m_thread.reset();
    if (m_again) {
        run(); // the result is of folders or files since changed
        return;
    }
    m_entries = index.entries;
    m_unreadable.clear();
    for (const QString &problem : index.unreadable) {
        if (!m_named.contains(problem)) {
            m_named.insert(problem);
            m_unreadable << problem;
        }
    }
    emit indexed();
}
