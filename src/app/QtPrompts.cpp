#include "app/QtPrompts.h"

#include <QFileDialog>
#include <QMessageBox>

void QtPrompts::message(QWidget *parent, const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(icon == Icon::Stop ? QMessageBox::Critical : QMessageBox::Information,
                    // A window title holds one line; the load's error titles carry a line break.
                    QString(title).replace(QStringLiteral("\r\n"), QStringLiteral(" ")), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

QString QtPrompts::askSavePath(QWidget *parent, const QString &title, const QString &filter,
                               const QString &startPath)
{
    return QFileDialog::getSaveFileName(parent, title, startPath, filter);
}

QString QtPrompts::askOpenPath(QWidget *parent, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}
