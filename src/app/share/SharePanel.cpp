#include "app/share/SharePanel.h"

#include "app/order/OrderModel.h"
#include "app/share/QrCode.h"
#include "app/shell/Preferences.h"
#include "document/CombatDocument.h"
#include "document/PlayersView.h"
#include "share/PlayersShare.h"

#include <QApplication>
#include <QClipboard>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Large enough for a phone's camera from across a table, small enough for a laptop.
constexpr int CodePixels = 264;

} // namespace

SharePanel::SharePanel(const CombatDocument &document, const OrderModel &order, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_document(document)
    , m_order(order)
    , m_share(new share::PlayersShare(this))
{
    setObjectName(QStringLiteral("SharePanel"));
    setWindowTitle(QStringLiteral("Share with Players"));
    setAttribute(Qt::WA_QuitOnClose, false);

    auto *heading = new QLabel(QStringLiteral("Players open this address on a phone or a computer on this network:"), this);
    heading->setWordWrap(true);
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("ShareAddress"));
    m_address->setReadOnly(true);
    m_address->setAccessibleName(QStringLiteral("Address"));
    heading->setBuddy(m_address);
    m_code = new QLabel(this);
    m_code->setObjectName(QStringLiteral("ShareCode"));
    m_code->setAlignment(Qt::AlignCenter);
    m_code->setMinimumSize(CodePixels, CodePixels);
    m_code->setAccessibleName(QStringLiteral("QR code of the address"));
    m_clients = new QLabel(this);
    m_clients->setObjectName(QStringLiteral("ShareClients"));
    auto *shown = new QLabel(
        QStringLiteral("They see what the players' window shows: the round, whose turn it is and the order, with "
                       "health in words and conditions. No hit points, notes, rolls or hidden combatants. "
                       "Anyone who has the address can look until you stop sharing."),
        this);
    shown->setWordWrap(true);

    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("SharePort"));
    m_port->setRange(0, 65535);
    m_port->setSpecialValueText(QStringLiteral("Any free port"));
    m_port->setValue(preferences::choices().sharePort);
    m_port->setAccessibleName(QStringLiteral("Port"));
    connect(m_port, &QSpinBox::editingFinished, this, &SharePanel::changePort);
    auto *portRow = new QFormLayout;
    portRow->addRow(QStringLiteral("&Port:"), m_port);

    m_copy = new QPushButton(QStringLiteral("&Copy Address"), this);
    m_copy->setObjectName(QStringLiteral("ShareCopy"));
    connect(m_copy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(m_share->address().toString()); });
    m_stop = new QPushButton(QStringLiteral("&Stop Sharing"), this);
    m_stop->setObjectName(QStringLiteral("ShareStop"));
    connect(m_stop, &QPushButton::clicked, this, [this] {
        if (isSharing())
            stopSharing();
        else
            start();
    });
    auto *closeButton = new QPushButton(QStringLiteral("Close"), this);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_F6), this), &QShortcut::activated, this,
            &SharePanel::nextTurnRequested);
    connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this), &QShortcut::activated, this,
            &SharePanel::previousTurnRequested);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F7), this), &QShortcut::activated, this,
            &SharePanel::mainWindowRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_address);
    layout->addWidget(m_code, 1);
    layout->addWidget(m_clients);
    layout->addWidget(shown);
    layout->addLayout(portRow);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(m_share, &share::PlayersShare::started, this, &SharePanel::showStarted);
    connect(m_share, &share::PlayersShare::failed, this, &SharePanel::showFailed);
    connect(m_share, &share::PlayersShare::clientsChanged, this, &SharePanel::showClients);
    connect(&m_order, &OrderModel::shown, this, &SharePanel::publish);
}

SharePanel::~SharePanel() = default;

bool SharePanel::isSharing() const
{
    return m_share->isSharing();
}

void SharePanel::share()
{
    if (!isSharing())
        start();
    show();
    raise();
    activateWindow();
    m_copy->setFocus();
}

void SharePanel::start()
{
    m_address->setText(QStringLiteral("Starting\u2026"));
    m_code->clear();
    m_copy->setEnabled(false); // until there is an address to copy
    showClients(0);
    showSharing(true);
    m_askedPort = m_port->value();
    m_failed = false;
    m_share->start(static_cast<quint16>(m_askedPort));
    publish(); // the fight as it is now, for the first page

}

void SharePanel::stopSharing()
{
    if (!isSharing())
        return;
    m_share->stop();
    m_address->setText(QStringLiteral("Sharing stopped. Pages still open say so."));
    m_code->clear();
    m_copy->setEnabled(false);
    showSharing(false);
}

void SharePanel::showSharing(bool on)
{
    m_stop->setText(on ? QStringLiteral("&Stop Sharing") : QStringLiteral("&Start Sharing"));
}

void SharePanel::showStarted(const QUrl &address)
{
    const QString text = address.toString();
    m_address->setText(text);
    m_address->setCursorPosition(0);
    // Whole pixels a module, so that every module is as wide as the next for the camera.
    const QImage code = qrCode(text);
    const int scale = code.isNull() ? 1 : std::max(1, CodePixels / code.width());
    m_code->setPixmap(QPixmap::fromImage(code.scaled(code.size() * scale, Qt::KeepAspectRatio, Qt::FastTransformation)));
    m_copy->setEnabled(true);
    // A port of the user's is kept once it worked.
    if (m_askedPort != preferences::choices().sharePort)
        preferences::setSharePort(m_askedPort);
}

void SharePanel::showFailed(const QString &why)
{
    m_address->setText(m_askedPort == 0 ? QStringLiteral("Sharing could not start: %1").arg(why)
                                        : QStringLiteral("Sharing could not start on port %1: %2. Choose another "
                                                         "port, or Any free port.")
                                              .arg(m_askedPort)
                                              .arg(why));
    m_address->setCursorPosition(0);
    m_code->clear();
    m_copy->setEnabled(false);
    showSharing(false);
    m_failed = true;
}

void SharePanel::showClients(int clients)
{
    m_clients->setText(clients == 0   ? QStringLiteral("No page is open.")
                       : clients == 1 ? QStringLiteral("1 page is open.")
                                      : QStringLiteral("%1 pages are open.").arg(clients));
}

void SharePanel::publish()
{
    if (m_share->isSharing())
        m_share->publish(players::toJson(players::playersView(m_document, m_order.healthWords())));
}

// Another port: sharing starts again there, at a new address; after a port that could not
// be had, Enter tries again.
void SharePanel::changePort()
{
    if (m_port->value() != m_askedPort || m_failed)
        start();
}
