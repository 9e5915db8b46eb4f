#include "mail/TlsTransport.h"

#include "mail/IdException.h"

#include <QRegularExpression>

#include <atomic>

namespace {

std::atomic<TlsTransportMaker> installed {nullptr};

} // namespace

void InstallTlsTransport(TlsTransportMaker maker)
{
    installed = maker;
}

std::unique_ptr<TlsTransport> MakeTlsTransport(std::unique_ptr<Transport> inner)
{
    const TlsTransportMaker maker = installed;
    if (!maker)
        TlsRefused(QStringLiteral("no TLS implementation"));
    return maker(std::move(inner));
}

void TlsRefused(const QString &reason)
{
    QString text = QStringLiteral("サーバーとの暗号化通信（TLS）を開始できません。");
    if (!reason.isEmpty())
        text += QStringLiteral("\n(%1)").arg(reason);
    throw TlsError(text);
}

std::optional<QStringList> TlsTransport::ParsePins(const QString &text)
{
    QStringList pins;
    static const QRegularExpression separators(QStringLiteral("[\\s,;]+"));
    for (const QString &piece : text.split(separators, Qt::SkipEmptyParts)) {
        QString hex = piece;
        hex.remove(QLatin1Char(':'));
        static const QRegularExpression sha256(QStringLiteral("^[0-9A-Fa-f]{64}$"));
        if (!sha256.match(hex).hasMatch())
            return std::nullopt;
        QString pin;
        for (qsizetype i = 0; i < 64; i += 2)
            pin += (i ? QStringLiteral(":") : QString()) + hex.mid(i, 2).toUpper();
        pins.append(pin);
    }
    return pins;
}
