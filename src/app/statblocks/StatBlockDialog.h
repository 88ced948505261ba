#pragma once

#include "combat/StatBlock.h"
#include "document/CombatDocument.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPlainTextEdit;
class QTableWidget;
class QTimer;

// Add from Stat Block: the pasted text of one or more stat blocks, and before anything
// changes, the row each block will become, with what could not be read or was cut marked.
// A digit typed on a block is how many of it come (0 leaves it out); Enter adds them.
class StatBlockDialog : public QDialog
{
    Q_OBJECT

public:
    explicit StatBlockDialog(const QString &text, QWidget *parent = nullptr);

    // The rows to add, each with its count, in the order of the text.
    QList<CombatDocument::Arrival> arrivals() const;
    QTableWidget *preview() const { return m_preview; }
    QPlainTextEdit *text() const { return m_text; }
    QString status() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readText();
    void showBlocks();
    void setCount(int block, int count);
    void showStatus();

    QPlainTextEdit *m_text = nullptr;
    QTableWidget *m_preview = nullptr;
    QLabel *m_status = nullptr;
    QTimer *m_reread = nullptr;
    QList<combat::StatBlock> m_blocks;
    QList<int> m_counts;
    int m_typingRow = -1;
    bool m_pastedCut = false; // the text given was longer than is read
    bool m_cutShort = false;  // the text goes on past what is read // the block the last key typed a digit of its count on
};
