#pragma once

#include "mail/OAuthClient.h"

#include <QNetworkAccessManager>
#include <QTcpServer>

#include <list>

class Clock;
class QTcpSocket;

// The sign-in's network on QtNetwork: token requests by QNetworkAccessManager, the loopback
// redirect by a QTcpServer on 127.0.0.1 that speaks just enough HTTP/1.1 for one browser.
// Every wait pumps the clock's event loop in short slices.
class QtOAuthNetwork : public OAuthNetwork
{
public:
    explicit QtOAuthNetwork(Clock &clock);
    ~QtOAuthNetwork() override;

    Reply PostForm(const QUrl &url, const FormFields &fields, const KeepWaiting &keepWaiting) override;
    quint16 ListenLoopback() override;
    std::optional<QByteArray> NextLoopbackRequest(const std::function<QByteArray(const QByteArray &)> &answer,
                                                  const KeepWaiting &keepWaiting) override;
    void CloseLoopback() override;

private:
    Clock &m_clock;
    QNetworkAccessManager m_manager;
    QTcpServer m_server;
    // Browsers open spare connections that may never speak; each is read on its own.
    std::list<QTcpSocket *> m_sockets;
};
