// Where the library is looked for: the folders dialog, the list kept between runs, and the
// index read beside the window.
#include "FakePrompts.h"

#include "app/dialogs/LibraryFoldersDialog.h"
#include "app/library/LibraryIndexer.h"
#include "app/shell/Preferences.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestLibraryFolders : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void addAndRemoveFolders();
    void foldersAreKeptBetweenRuns();
    void anUnreadableFileIsNamedOnce();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestLibraryFolders::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(u"config"_s).toUtf8()); // never the user's own settings
}

void TestLibraryFolders::addAndRemoveFolders()
{
    FakePrompts prompts;
    const QString own = m_dir->filePath(u"library"_s);
    LibraryFoldersDialog dialog(nullptr, prompts, own, {u"/srv/a"_s});
    auto *list = dialog.findChild<QListWidget *>(u"folders"_s);
    auto *add = dialog.findChild<QPushButton *>(u"add"_s);
    auto *remove = dialog.findChild<QPushButton *>(u"remove"_s);
    QVERIFY(list && add && remove);

    // A new folder, a cancelled picker, the library's own folder, the new one again.
    prompts.answers = {u"/srv/b"_s, QString(), own, u"/srv/b/"_s};
    for (int i = 0; i < 4; ++i)
        add->click();
    QCOMPARE(prompts.folderDialogs.size(), 4);
    QCOMPARE(dialog.folders(), (QStringList{u"/srv/a"_s, u"/srv/b"_s}));

    list->setCurrentRow(0);
    QVERIFY(remove->isEnabled());
    remove->click();
    QCOMPARE(dialog.folders(), QStringList{u"/srv/b"_s});
}

void TestLibraryFolders::foldersAreKeptBetweenRuns()
{
    QVERIFY(preferences::setMonstersDieAtZero(true));
    // A path the file cannot keep is left out, and the caller told so.
    QVERIFY(!preferences::setLibraryFolders({u"/srv/Bücher"_s, u"/srv/two\nlines"_s, u"/srv/c"_s}));
    const preferences::Choices kept = preferences::choices();
    QCOMPARE(kept.libraryFolders, (QStringList{u"/srv/Bücher"_s, u"/srv/c"_s}));
    QVERIFY(kept.monstersDieAtZero);
}

void TestLibraryFolders::anUnreadableFileIsNamedOnce()
{
    const QString folder = m_dir->filePath(u"library"_s);
    QVERIFY(QDir().mkpath(folder));
    QFile notes(folder + u"/notes.txt"_s);
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("buy rope") > 0);
    notes.close();

    LibraryIndexer indexer;
    QSignalSpy indexed(&indexer, &LibraryIndexer::indexed);
    indexer.start({folder});
    QVERIFY(indexer.isIndexing());
    QVERIFY(indexed.wait(5000));
    QCOMPARE(indexer.unreadable().size(), 1);

    indexer.reindex();
    QVERIFY(indexed.wait(5000));
    QVERIFY(indexer.unreadable().isEmpty());
    QVERIFY(indexer.entries().isEmpty());
}

QTEST_MAIN(TestLibraryFolders)
#include "tst_libraryfolders.moc"
