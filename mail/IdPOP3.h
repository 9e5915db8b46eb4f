#pragma once

#include "mail/CommandConnection.h"

// POP3 client (RFC 1939) as far as POP before SMTP needs it: Connect logs in with USER and PASS
// (after STLS, RFC 2595, when TLS is required, or in auto mode when the server's CAPA lists it; TLS
// from the start on 995 or when implicit),
// Disconnect writes QUIT without reading its reply. "+OK" counts as reply code 1 and "-ERR" as 2;
// any other reply raises an EIdException naming it.
class TIdPOP3 : public CommandConnection
{
public:
    static constexpr int wsOk = 1;
    static constexpr int wsErr = 2;

    TIdPOP3() { Port = 110; }

    QString Username;
    QString Password;

    // A user name or password with CR or LF raises ValueError before anything is sent.
    void Connect() override;
    // Whether the last greeting's CAPA listed STLS (asked in auto mode only).
    bool StlsOffered() const { return m_stlsOffered; }

protected:
    void Greet() override;
    QByteArray GoodbyeLine() const override { return "QUIT"; }
    bool EndOfReply(const QStringList &lines) const override;
    void ParseReply(const QStringList &lines, TIdRFCReply &reply) const override;
    int ImplicitTlsPort() const override { return 995; }

private:
    QStringList Capabilities();

    bool m_multiLineReply = false;
    bool m_stlsOffered = false;
};
