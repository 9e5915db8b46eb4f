#include "mail/ConnectionCheck.h"

#include "mail/ClientSettings.h"
#include "mail/IdException.h"
#include "mail/OAuth.h"

namespace {

void Prepare(CommandConnection &client, const ConnectionCheckOptions &options)
{
    client.WaitClock = options.clock;
    client.ConnectTimeout = client.ReadTimeout = options.timeoutMs;
    client.CaFile = options.caFile;
}

QString Encryption(const CommandConnection &client)
{
    if (client.UsingTLS())
        return QStringLiteral("暗号化：%1").arg(client.TlsProtocol());
    return QStringLiteral("暗号化：なし");
}

// In auto mode a connection still in clear text means the server offers no TLS: the password
// goes as it is.
void NoteClearPassword(const CommandConnection &client, QStringList &lines)
{
    if (client.UseTLS == TlsMode::Auto && !client.UsingTLS())
        lines << QStringLiteral(
            "注意：サーバーが暗号化通信（TLS）に対応していないため、パスワードは暗号化されずに送られます");
}

// One line for a failure: the reply's code and text, or the failure's own text.
QString Failure(const EIdException &e)
{
    QString text = e.Message();
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (const auto *reply = dynamic_cast<const EIdProtocolReplyError *>(&e))
        return QStringLiteral("失敗：[%1] %2").arg(reply->ReplyErrorCode()).arg(text);
    return QStringLiteral("失敗：%1").arg(text);
}

bool CheckPop3(const TUserData &settings, const ConnectionCheckOptions &options, QStringList &lines)
{
    TIdPOP3 pop;
    ApplySettings(pop, settings);
    Prepare(pop, options);
    lines << QStringLiteral("POP3サーバー %1（ポート %2）").arg(pop.Host).arg(pop.Port);
    try {
        pop.Connect();
        lines << Encryption(pop);
        NoteClearPassword(pop, lines);
        lines << QStringLiteral("ログイン：成功");
        pop.Disconnect();
        return true;
    } catch (const EIdException &e) {
        pop.Disconnect();
        lines << Failure(e);
        return false;
    }
}

} // namespace

ConnectionReport CheckMailServers(const TUserData &settings, const ConnectionCheckOptions &options)
{
    ConnectionReport report;
    TIdSMTP smtp;
    ApplySettings(smtp, settings);
    Prepare(smtp, options);
    report.lines << QStringLiteral("SMTPサーバー %1（ポート %2）").arg(smtp.Host).arg(smtp.Port);
    if (settings.UseOAuth) {
        try {
            if (!options.accessToken)
                throw SignInError(OAuthText::NotSignedIn());
            smtp.AccessToken = options.accessToken();
        } catch (const SignInError &e) {
            report.lines << QStringLiteral("サインイン：") + e.Message();
            return report;
        }
    }
    try {
        smtp.Connect();
        report.lines << Encryption(smtp);
        if (!smtp.UsingTLS() && smtp.StartTlsOffered())
            report.lines.last() += QStringLiteral("（サーバーはSTARTTLSに対応しています）");
        if (settings.UseSMTPAuth)
            NoteClearPassword(smtp, report.lines);
        QStringList mechanisms = smtp.AuthSchemesSupported();
        mechanisms.removeAll(QString());
        report.lines << QStringLiteral("認証方式：%1")
                            .arg(mechanisms.isEmpty() ? QStringLiteral("なし")
                                                      : mechanisms.join(QLatin1Char(' ')));
        report.ok = true;
        if (settings.UseSMTPAuth || settings.UseOAuth) {
            if (smtp.Authenticate()) {
                report.lines << QStringLiteral("ログイン：成功");
            } else {
                report.lines << QStringLiteral(
                    "ログイン：サーバーが使える認証方式（LOGIN、PLAIN）を示しません");
                report.ok = false;
            }
        }
        smtp.Disconnect();
    } catch (const EIdException &e) {
        smtp.Disconnect();
        report.lines << Failure(e);
        report.ok = false;
    }
    if (settings.UsePOP3) {
        const bool pop = CheckPop3(settings, options, report.lines);
        report.ok = report.ok && pop;
    }
    return report;
}

ConnectionReport CheckFtpServer(const TUserData &settings, const ConnectionCheckOptions &options)
{
    ConnectionReport report;
    TIdFTP ftp;
    if (!ApplySettings(ftp, settings)) {
        report.lines << QStringLiteral("失敗：FTPポート番号「%1」は数値ではありません。").arg(settings.Port);
        return report;
    }
    Prepare(ftp, options);
    report.lines << QStringLiteral("FTPサーバー %1（ポート %2）").arg(ftp.Host).arg(ftp.Port);
    try {
        ftp.Connect();
        report.lines << Encryption(ftp);
        NoteClearPassword(ftp, report.lines);
        report.lines << QStringLiteral("ログイン：成功");
        ftp.Disconnect();
        report.ok = true;
    } catch (const EIdException &e) {
        ftp.Disconnect();
        report.lines << Failure(e);
    }
    return report;
}
