#pragma once

#include <QDateTime>
#include <QFrame>

class QLabel;
class QPushButton;

// The bar at the top of the main window that offers back a combat no save holds, left by
// a Fraymark that crashed or was closed (Restore, Discard), or says once that the combat
// cannot be kept for after a crash. It is no dialog: the window is in use meanwhile.
class RecoveryBar : public QFrame
{
    Q_OBJECT

public:
    explicit RecoveryBar(QWidget *parent = nullptr);

    // Offers the combat last changed at `changed`; `closed`: its program ended through Exit.
    void offer(const QDateTime &changed, bool closed);
    // Says `message`, with a button that closes the bar.
    void tell(const QString &message);
    bool offering() const;

    QString text() const;

signals:
    void restoreChosen();
    void discardChosen();

private:
    QLabel *m_text = nullptr;
    QPushButton *m_restore = nullptr;
    QPushButton *m_discard = nullptr;
    QPushButton *m_close = nullptr;
};
