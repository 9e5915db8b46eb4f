#include "platform/linux/QtOAuthNetwork.h"

#include "common/Clock.h"

#include <QNetworkReply>
#include <QTcpSocket>

#include <memory>

namespace {

constexpr int kSliceMs = 50;
constexpr qsizetype kMaxRequestHead = 16 * 1024;

QByteArray FormBody(const FormFields &fields)
{
    QByteArray body;
    for (const auto &[key, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(key) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

QByteArray Response(const char *status, const QByteArray &body)
{
    return QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
        + QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}

} // namespace

QtOAuthNetwork::QtOAuthNetwork(Clock &clock)
    : m_clock(clock)
{
    // A token request follows no redirect: the code and the secret go to the URL given, or nowhere.
    m_manager.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

QtOAuthNetwork::~QtOAuthNetwork()
{
    CloseLoopback();
}

OAuthNetwork::Reply QtOAuthNetwork::PostForm(const QUrl &url, const FormFields &fields,
                                             const KeepWaiting &keepWaiting)
{
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    request.setRawHeader("Accept", "application/json");
    const auto abortAndDelete = [](QNetworkReply *r) {
        r->abort();
        delete r;
    };
    std::unique_ptr<QNetworkReply, decltype(abortAndDelete)> reply(m_manager.post(request, FormBody(fields)),
                                                                   abortAndDelete);
    while (!reply->isFinished()) {
        if (!keepWaiting())
            return {0, {}, QStringLiteral("時間切れ")};
        m_clock.Pump(kSliceMs);
    }
    Reply result;
    result.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.Body = reply->readAll();
    if (result.Status == 0)
        result.Error = reply->errorString();
    return result;
}

quint16 QtOAuthNetwork::ListenLoopback()
{
    CloseLoopback();
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        return 0;
    return m_server.serverPort();
}

std::optional<QByteArray>
QtOAuthNetwork::NextLoopbackRequest(const std::function<QByteArray(const QByteArray &)> &answer,
                                    const KeepWaiting &keepWaiting)
{
    while (keepWaiting()) {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            m_sockets.push_back(socket);
        for (auto it = m_sockets.begin(); it != m_sockets.end();) {
            QTcpSocket *socket = *it;
            if (socket->state() != QAbstractSocket::ConnectedState && socket->bytesAvailable() == 0) {
                socket->deleteLater();
                it = m_sockets.erase(it);
                continue;
            }
            // The request line and headers; a body is never needed.
            const QByteArray head = socket->peek(kMaxRequestHead);
            const qsizetype end = head.indexOf("\r\n\r\n");
            if (end < 0 && head.size() < kMaxRequestHead) {
                ++it;
                continue;
            }
            socket->read(end < 0 ? head.size() : end + 4);
            const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
            std::optional<QByteArray> target;
            QByteArray reply;
            if (end < 0 || requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1.")) {
                reply = Response("400 Bad Request", QByteArray());
            } else if (requestLine[0] != "GET") {
                reply = Response("405 Method Not Allowed", QByteArray());
            } else {
                target = requestLine[1];
                const QByteArray page = answer(*target);
                reply = page.isEmpty() ? Response("404 Not Found", QByteArray()) : Response("200 OK", page);
            }
            socket->write(reply);
            // The page goes out before anything else happens: the caller may end the program next.
            const qint64 flushEnd = m_clock.Elapsed() + 2000;
            while (socket->bytesToWrite() > 0 && socket->state() == QAbstractSocket::ConnectedState
                   && m_clock.Elapsed() < flushEnd)
                m_clock.Pump(kSliceMs);
            socket->disconnectFromHost();
            // Deleted once the page is out, or with the listener.
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            it = m_sockets.erase(it);
            if (target)
                return target;
        }
        m_clock.Pump(kSliceMs);
    }
    return std::nullopt;
}

void QtOAuthNetwork::CloseLoopback()
{
    for (QTcpSocket *socket : m_sockets)
        delete socket;
    m_sockets.clear();
    m_server.close();
}
