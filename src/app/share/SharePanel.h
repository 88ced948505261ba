#pragma once

#include <QWidget>

class CombatDocument;
class OrderModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QUrl;

namespace share {
class PlayersShare;
}

// Share with Players: starts the players' page and shows where it is, as an address and a
// QR code of it, with how many pages are open and what they are shown. It sends the
// players' view on every change of the fight while sharing. Closing the panel keeps the
// page going; Stop Sharing (and the end of the program) closes every connection and tells
// the pages so. F6, Shift+F6 and Ctrl+F7 work here as in the player window.
class SharePanel : public QWidget
{
    Q_OBJECT

public:
    SharePanel(const CombatDocument &document, const OrderModel &order, QWidget *parent);
    ~SharePanel() override;

    bool isSharing() const;
    // Starts sharing unless it is on, and shows the panel.
    void share();
    void stopSharing();

signals:
    // The fight's keys, so that the panel in front does not take the table's keyboard.
    void nextTurnRequested();
    void previousTurnRequested();
    void mainWindowRequested();

private:
    void start();
    void showStarted(const QUrl &address);
    void showFailed(const QString &why);
    void showClients(int clients);
    void publish();
    void changePort();
    void showSharing(bool on);

    const CombatDocument &m_document;
    const OrderModel &m_order;
    share::PlayersShare *m_share = nullptr;
    QLineEdit *m_address = nullptr;
    QLabel *m_code = nullptr;
    QLabel *m_clients = nullptr;
    QSpinBox *m_port = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_stop = nullptr;   // Stop Sharing, or Start Sharing again
    int m_askedPort = 0;             // the port of the last start
    bool m_failed = false;           // and it could not be had
};
