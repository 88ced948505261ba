#include "app/dialogs/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// A closed dialog gives the keys back to the window it was asked from: some window managers
// hand them to whichever window of the program comes next, such as the players' window.
void backToTheWindow(QWidget *parent)
{
    if (parent && parent->window()->isVisible())
        parent->window()->activateWindow();
}

} // namespace

void QtPrompts::message(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(icon == Icon::Stop      ? QMessageBox::Critical
                    : icon == Icon::Warning ? QMessageBox::Warning
                                            : QMessageBox::Information,
                    // A window title holds one line; the load's error titles carry a line break.
                    QString(title).replace(QStringLiteral("\r\n"), QStringLiteral(" ")), text,
                    QMessageBox::Ok, parent);
    // Messages quote what the user typed or a file holds: never render that as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
    backToTheWindow(parent);
}

int QtPrompts::choose(QWidget *parent, const QString &text, const QString &title, const QStringList &choices)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> buttons;
    for (const QString &choice : choices)
        buttons << box.addButton(choice, QMessageBox::ActionRole);
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.constFirst()));
        box.setEscapeButton(buttons.constLast());
    }
    box.exec();
    backToTheWindow(parent);
    return int(buttons.indexOf(box.clickedButton()));
}

QString QtPrompts::askSavePath(QWidget *parent, const QString &title, const QString &filter,
                               const QString &startPath, const QString &defaultSuffix)
{
    QFileDialog dialog(parent, title, startPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // Added before the overwrite question, so the question names the file really written.
    dialog.setDefaultSuffix(defaultSuffix);
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    backToTheWindow(parent);
    return chosen ? dialog.selectedFiles().constFirst() : QString();
}

QString QtPrompts::askOpenPath(QWidget *parent, const QString &title, const QString &filter,
                               const QString &startFolder)
{
    const QString path = QFileDialog::getOpenFileName(parent, title, startFolder, filter);
    backToTheWindow(parent);
    return path;
}

QString QtPrompts::askFolder(QWidget *parent, const QString &title, const QString &startFolder)
{
    const QString path = QFileDialog::getExistingDirectory(parent, title, startFolder);
    backToTheWindow(parent);
    return path;
}
