// The reply reader of the protocol clients on arbitrary server bytes, cut into arbitrary pieces.
// Input: one byte picks the client, one the size of the pieces, the rest is what the server sends.
// Whatever the server sends, a client either fails with one of its failure kinds or reads replies
// that keep the protocol's shape and limits.

#include "mail/IdException.h"
#include "mail/IdFTP.h"
#include "mail/IdPOP3.h"
#include "mail/IdSMTP.h"
#include "support/ScriptedTransport.h"

#include <cstdlib>

namespace {

void CheckCoded(const CommandConnection &client)
{
    const TIdRFCReply &r = client.LastCmdResult();
    if (r.TextCode.size() != 3 || !TIdRFCReply::HasCode(r.TextCode) || r.NumericCode != r.TextCode.toInt()
        || r.Text.size() > client.MaxReplyLines)
        std::abort();
}

void CheckLines(const CommandConnection &client)
{
    for (const QString &line : client.LastCmdResult().Text) {
        if (line.size() > client.MaxLineLength)
            std::abort();
    }
}

template<typename Client, typename Steps> void Run(TransportScript &script, ScriptedNetwork &net, Steps steps)
{
    (void)script;
    Client client;
    client.MakeTransport = net.Factory();
    client.Host = QStringLiteral("server.example");
    client.Username = QStringLiteral("user");
    client.Password = QStringLiteral("secret");
    try {
        steps(client);
    } catch (const EIdException &) {
    } catch (const Exception &) { }
    client.Disconnect();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    const int protocol = data[0] % 3;
    const int piece = data[1] >= 192 ? int(size) : data[1] % 64 + 1;
    const QByteArray stream(reinterpret_cast<const char *>(data) + 2, qsizetype(size - 2));

    ScriptedNetwork net;
    TransportScript &script = net.Add();
    for (qsizetype at = 0; at < stream.size(); at += piece) {
        script.Arrive(stream.mid(at, piece));
        if (data[1] & 1)
            script.Silence(1);
    }
    script.PeerCloses();
    // The FTP client's data connections get nothing but their end.
    for (int i = 0; i < 4; ++i)
        net.Add().PeerCloses();

    switch (protocol) {
    case 0:
        Run<TIdSMTP>(script, net, [](TIdSMTP &smtp) {
            smtp.HeloName = QStringLiteral("client.example");
            smtp.SetAuthenticationType(atLogin);
            smtp.Connect();
            CheckCoded(smtp);
            TIdMessage msg;
            msg.From = {QStringLiteral("A"), QStringLiteral("a@example.com")};
            msg.Recipients = {{QStringLiteral("B"), QStringLiteral("b@example.com")}};
            msg.Body = {"hello"};
            smtp.Send(msg);
            for (;;) {
                smtp.GetResponse({});
                CheckCoded(smtp);
                CheckLines(smtp);
            }
        });
        break;
    case 1:
        Run<TIdPOP3>(script, net, [](TIdPOP3 &pop) {
            pop.Connect();
            for (;;) {
                const int code = pop.GetResponse({});
                if ((code != TIdPOP3::wsOk && code != TIdPOP3::wsErr) || pop.LastCmdResult().Text.size() != 1)
                    std::abort();
                CheckLines(pop);
            }
        });
        break;
    default:
        Run<TIdFTP>(script, net, [](TIdFTP &ftp) {
            ftp.Connect();
            CheckCoded(ftp);
            for (;;) {
                ftp.GetResponse({});
                CheckCoded(ftp);
                CheckLines(ftp);
                try {
                    const int port = TIdFTP::ParsePasvPort(ftp.LastCmdResult().Text.value(0));
                    if (port < 1 || port > 65535)
                        std::abort();
                } catch (const EIdException &) { }
            }
        });
        break;
    }
    return 0;
}
