#include "app/dialogs/LibraryFoldersDialog.h"

#include "app/dialogs/Prompts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// One folder reached by two spellings is one folder.
QString sameFolder(const QString &folder)
{
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

} // namespace

LibraryFoldersDialog::LibraryFoldersDialog(QWidget *parent, Prompts &prompts, const QString &ownFolder,
                                           const QStringList &added)
    : QDialog(parent)
    , m_prompts(prompts)
    , m_ownFolder(ownFolder)
    , m_list(new QListWidget(this))
    , m_remove(new QPushButton(tr("&Remove"), this))
{
    setWindowTitle(tr("Library Folders"));
    auto *own = new QLabel(tr("The library's own folder, always searched:\n%1").arg(QDir::toNativeSeparators(ownFolder)),
                           this);
    own->setObjectName(QStringLiteral("ownFolder"));
    own->setTextFormat(Qt::PlainText);
    own->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *caption = new QLabel(tr("&Folders added:"), this);
    caption->setBuddy(m_list);
    m_list->setObjectName(QStringLiteral("folders"));
    for (const QString &folder : added) {
        if (!folder.isEmpty() && !isListed(folder))
            m_list->addItem(QDir::toNativeSeparators(folder));
    }
    auto *addButton = new QPushButton(tr("&Add..."), this);
    addButton->setObjectName(QStringLiteral("add"));
    m_remove->setObjectName(QStringLiteral("remove"));
    m_remove->setEnabled(false);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto *side = new QVBoxLayout;
    side->addWidget(addButton);
    side->addWidget(m_remove);
    side->addStretch();
    auto *middle = new QHBoxLayout;
    middle->addWidget(m_list, 1);
    middle->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(own);
    layout->addWidget(caption);
    layout->addLayout(middle);
    layout->addWidget(buttons);

    connect(addButton, &QPushButton::clicked, this, &LibraryFoldersDialog::add);
    connect(m_remove, &QPushButton::clicked, this, &LibraryFoldersDialog::remove);
    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_remove->setEnabled(row >= 0); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QStringList LibraryFoldersDialog::folders() const
{
    QStringList folders;
    for (int i = 0; i < m_list->count(); ++i)
        folders << QDir::fromNativeSeparators(m_list->item(i)->text());
    return folders;
}

void LibraryFoldersDialog::add()
{
    const QString start = m_list->currentItem() ? m_list->currentItem()->text() : QDir::homePath();
    const QString folder = m_prompts.askFolder(this, tr("Add a Library Folder"), start);
    if (folder.isEmpty())
        return;
    // The own folder is searched anyway; a folder listed twice would be read twice.
    if (sameFolder(folder) != sameFolder(m_ownFolder) && !isListed(folder))
        m_list->addItem(QDir::toNativeSeparators(folder));
    const QList<QListWidgetItem *> found = m_list->findItems(QDir::toNativeSeparators(folder), Qt::MatchExactly);
    if (!found.isEmpty())
        m_list->setCurrentItem(found.constFirst());
}

void LibraryFoldersDialog::remove()
{
    delete m_list->takeItem(m_list->currentRow());
    m_remove->setEnabled(m_list->currentRow() >= 0);
}

bool LibraryFoldersDialog::isListed(const QString &folder) const
{
    const QStringList listed = folders();
    return std::any_of(listed.begin(), listed.end(),
                       [&](const QString &each) { return sameFolder(each) == sameFolder(folder); });
}
