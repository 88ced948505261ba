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
// page going; Stop Sharing (and the end of the program) closes every connection.
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

private:
    void start();
    void showStarted(const QUrl &address);
    void showFailed(const QString &why);
    void showClients(int clients);
    void publish();
    void changePort();

    const CombatDocument &m_document;
    const OrderModel &m_order;
    share::PlayersShare *m_share = nullptr;
    QLineEdit *m_address = nullptr;
    QLabel *m_code = nullptr;
    QLabel *m_clients = nullptr;
    QSpinBox *m_port = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_stop = nullptr;
};
