#include "app/widgets/FieldEdit.h"

#include "app/widgets/EditMenu.h"

#include "app/widgets/LongText.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMimeData>

FieldEdit::FieldEdit(QWidget *parent)
    : QLineEdit(parent)
{
    // The line edit's own bound; setting it anew costs as much as laying out a text.
    if (maxLength() != EditableLength)
        setMaxLength(EditableLength);
    // The line edit rejects a key past its maximum length; the user hears why.
    connect(this, &QLineEdit::inputRejected, this, [this] { refuses(1); });
    // A text written through the line edit's own setText() (a spin button's step)
    // replaces the whole text.
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (m_shownInPart && !m_showing)
            leaveShownInPart();
    });
}

QString FieldEdit::text() const
{
    return m_shownInPart ? m_whole : QLineEdit::text();
}

void FieldEdit::setText(const QString &text)
{
    if (text.size() <= EditableLength) {
        if (m_shownInPart)
            leaveShownInPart();
        QLineEdit::setText(text);
        return;
    }
    const bool changed = !m_shownInPart || m_whole != text;
    if (!m_shownInPart) {
        m_ownToolTip = toolTip();
        m_shownInPart = true;
    }
    m_whole = text;
    const QString shown = longtext::leadingPart(text, ShownLength)
                        + QStringLiteral(" \u2026 (%1 characters, shown in part)").arg(longtext::count(text.size()));
    m_showing = true;
    const bool sameShown = shown == QLineEdit::text();
    QLineEdit::setText(shown);
    m_showing = false;
    setReadOnly(true);
    setToolTip(QStringLiteral("This text has %1 characters, more than the %2 that can be edited here. It is "
                              "shown in part and saved in full. Select all and press Delete to empty it.")
                   .arg(longtext::count(text.size()), longtext::count(EditableLength)));
    if (sameShown && changed)
        emit textChanged(shown);
}

void FieldEdit::leaveShownInPart()
{
    m_shownInPart = false;
    m_whole.clear();
    setReadOnly(false);
    setToolTip(m_ownToolTip);
}

void FieldEdit::insert(const QString &text)
{
    if (!isReadOnly() && !refuses(text.size()))
        QLineEdit::insert(text);
}

bool FieldEdit::refuses(qsizetype inserted)
{
    const qsizetype length = QLineEdit::text().size() - selectedText().size() + inserted;
    if (length <= EditableLength)
        return false;
    const QString name = accessibleName().isEmpty() ? QStringLiteral("This field") : accessibleName();
    const QString message = QStringLiteral("%1 holds at most %2 characters. Nothing was put in: it would have made %3.")
                                .arg(name, longtext::count(EditableLength), longtext::count(length));
    if (isSignalConnected(QMetaMethod::fromSignal(&FieldEdit::inputRefused)))
        emit inputRefused(message);
    else
        longtext::showRefusal(this, message);
    return true;
}

void FieldEdit::pasteChecked()
{
    if (isReadOnly())
        return;
    if (!refuses(QGuiApplication::clipboard()->text().size()))
        paste();
}

void FieldEdit::copyWhole()
{
    // All of a text shown in part goes to the clipboard, not the part on screen.
    if (m_shownInPart && selectedText().size() == QLineEdit::text().size())
        QGuiApplication::clipboard()->setText(m_whole);
    else
        copy();
}

void FieldEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteChecked();
        event->accept();
        return;
    }
    if (m_shownInPart) {
        if (event->matches(QKeySequence::Copy)) {
            copyWhole();
            event->accept();
            return;
        }
        const bool all = selectedText().size() == QLineEdit::text().size();
        if (all && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
            leaveShownInPart();
            QLineEdit::setText(QString());
            emit textEdited(QString());
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void FieldEdit::mouseReleaseEvent(QMouseEvent *event)
{
    // The middle button pastes the selection clipboard.
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() && !isReadOnly()) {
        deselect();
        insert(QGuiApplication::clipboard()->text(QClipboard::Selection));
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void FieldEdit::dropEvent(QDropEvent *event)
{
    if (!isReadOnly() && event->mimeData()->hasText() && refuses(event->mimeData()->text().size())) {
        event->ignore();
        return;
    }
    QLineEdit::dropEvent(event);
}

void FieldEdit::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = namedLineEditMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (m_undo && m_redo)
        routeHistoryActions(menu, m_undo, m_redo);
    // Paste and Copy go through the same checks as their keys.
    if (auto *paste = menu->findChild<QAction *>(QStringLiteral("edit-paste"))) {
        disconnect(paste, &QAction::triggered, nullptr, nullptr);
        connect(paste, &QAction::triggered, this, &FieldEdit::pasteChecked);
    }
    if (auto *copy = menu->findChild<QAction *>(QStringLiteral("edit-copy")); copy && m_shownInPart) {
        disconnect(copy, &QAction::triggered, nullptr, nullptr);
        connect(copy, &QAction::triggered, this, &FieldEdit::copyWhole);
    }
    if (!m_rowActions.isEmpty()) {
        // The row's commands act on the focused row: this one.
        setFocus(Qt::PopupFocusReason);
        menu->addSeparator();
        menu->addActions(m_rowActions);
    }
    menu->popup(event->globalPos());
}
