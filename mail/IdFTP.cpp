#include "mail/IdFTP.h"

#include "common/Sjis.h"
#include "mail/IdException.h"
#include "mail/MessageWriter.h"
#include "mail/WinsockErrors.h"

#include <QFile>

// The data connection of a transfer: TLS right after its connect when the control connection
// asked for protected data, resuming the control connection's session (RFC 4217, 10.2), with the
// certificate checked against the control connection's host name.
class FtpDataConnection : public CommandConnection
{
public:
    FtpDataConnection(ssl_session_st *session, const QString &name)
        : m_session(session)
        , m_name(name)
    { }

protected:
    void Greet() override
    {
        if (m_session)
            StartTLS(m_session, m_name);
    }

private:
    ssl_session_st *m_session;
    QString m_name;
};

TIdFTP::TIdFTP()
{
    Port = 21;
}

TIdFTP::~TIdFTP() = default;

void TIdFTP::Connect()
{
    ValueError::Check(Username, QStringLiteral("FTPユーザーID"));
    ValueError::Check(Password, QStringLiteral("FTPパスワード"));
    CommandConnection::Connect();
}

void TIdFTP::CheckUpload(const QString &folder, const QString &remoteName)
{
    ValueError::Check(folder, QStringLiteral("FTPフォルダ"));
    ValueError::Check(remoteName, QStringLiteral("FTPファイル名"));
}

// Greeting 220 (kept), AUTH TLS 234 when the mode asks for it (a refusal leaves auto mode in
// clear text), then the login.
void TIdFTP::Greet()
{
    m_protectData = false;
    GetResponse({220});
    m_greeting = LastCmdResult();
    if (!UsingTLS() && (UseTLS == TlsMode::Auto || UseTLS == TlsMode::Required)) {
        if (SendCmd(QStringLiteral("AUTH TLS")) == 234)
            StartTLS();
        else if (UseTLS == TlsMode::Required)
            throw TlsError(QStringLiteral("サーバーが暗号化通信（TLS）に対応していません。\n%1 %2")
                               .arg(LastCmdResult().NumericCode)
                               .arg(LastCmdResult().JoinedText()));
    }
    Login();
}

void TIdFTP::Login()
{
    if (SendCmd(QStringLiteral("USER ") + Username, {230, 331}) == 331)
        SendCmd(QStringLiteral("PASS ") + Password, {230});
    if (UsingTLS()) {
        // Data connections in TLS too (RFC 4217, 9).
        SendCmd(QStringLiteral("PBSZ 0"), {200});
        SendCmd(QStringLiteral("PROT P"), {200});
        m_protectData = true;
    }
    SendCmd(TransferType == ftBinary ? QStringLiteral("TYPE I") : QStringLiteral("TYPE A"), {200});
    if (SendCmd(QStringLiteral("SYST"), {200, 215, 500}) == 500)
        m_systemDesc = QStringLiteral("Unknown");
    else
        m_systemDesc = LastCmdResult().Text.value(0);
}

void TIdFTP::Disconnected() noexcept
{
    // The data connection goes too, so that a cancel during a transfer ends it at once.
    if (m_data)
        m_data->Disconnect();
}

void TIdFTP::ChangeDir(const QString &folder)
{
    CheckUpload(folder, QString());
    SendCmd(QStringLiteral("CWD ") + folder, {200, 250});
}

int TIdFTP::ParsePasvPort(const QString &line)
{
    QString s = TIdRFCReply::Trim(line);
    const qsizetype open = s.indexOf(QLatin1Char('('));
    const qsizetype close = open >= 0 ? s.indexOf(QLatin1Char(')'), open) : -1;
    if (open >= 0 && close > open)
        s = s.mid(open + 1, close - open - 1);
    else
        s = s.mid(s.lastIndexOf(QLatin1Char(' ')) + 1);
    const QStringList parts = s.split(QLatin1Char(','));
    int numbers[6] = {};
    bool valid = parts.size() == 6;
    for (qsizetype i = 0; valid && i < 6; ++i) {
        numbers[i] = TIdRFCReply::Trim(parts[i]).toInt(&valid, 10);
        valid = valid && numbers[i] >= 0 && numbers[i] <= 255;
    }
    // Only numbers that passed make a port: a huge one would overflow.
    const int port = valid ? numbers[4] * 256 + numbers[5] : 0;
    if (!valid || port == 0)
        throw EIdException(QStringLiteral("Invalid PASV reply: \"%1\"").arg(line));
    return port;
}

void TIdFTP::Put(const QString &localPath, const QString &remoteName, bool append)
{
    CheckUpload(QString(), remoteName);
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Cannot open file \"%1\": %2").arg(localPath, file.errorString()));

    SendCmd(QStringLiteral("PASV"), {227});
    // The reply's own address is not used: a server could aim the upload at any machine with it.
    // The data connection goes to the server we are talking to, at the port it names.
    const int dataPort = ParsePasvPort(LastCmdResult().Text.value(0));

    // The reply to the store command comes only once the data connection is open.
    const QString verb = remoteName.isEmpty() ? QStringLiteral("STOU ")
        : append                              ? QStringLiteral("APPE ")
                                              : QStringLiteral("STOR ");
    WriteLn(Sjis::encode(verb + remoteName));

    m_data = std::make_unique<FtpDataConnection>(m_protectData ? TlsSession() : nullptr, Host);
    m_data->Host = PeerAddress();
    m_data->Port = dataPort;
    m_data->WaitClock = WaitClock;
    m_data->MakeTransport = MakeTransport;
    m_data->ReadTimeout = ReadTimeout;
    m_data->ConnectTimeout = ConnectTimeout;
    m_data->CaFile = CaFile;
    m_data->Pins = Pins;
    m_data->OnWorkBegin = OnWorkBegin;
    m_data->OnWork = OnWork;
    m_data->OnWorkEnd = OnWorkEnd;
    try {
        m_data->Connect();
        GetResponse({110, 125, 150});
        SendFile(file);
    } catch (...) {
        m_data.reset();
        throw;
    }
    m_data.reset();

    const int code = GetResponse({225, 226, 250, 426, 450});
    // Some servers report the end of a transfer as an abort and confirm it in a second reply.
    if (code == 426 || code == 450)
        GetResponse({226, 225});
}

void TIdFTP::SendFile(QFile &file)
{
    m_data->BeginWork(wmWrite, file.size());
    try {
        QByteArray piece(CommandConnection::RecvBufferSize, Qt::Uninitialized);
        for (;;) {
            const qint64 n = file.read(piece.data(), piece.size());
            if (n < 0)
                throw FileError(
                    QStringLiteral("Cannot read file \"%1\": %2").arg(file.fileName(), file.errorString()));
            if (n == 0)
                break;
            try {
                m_data->Write(piece.left(n));
            } catch (const EIdSocketError &e) {
                if (e.LastError() != WinsockErrors::WSAENOTSOCK)
                    throw;
                break; // the data socket is gone: the control connection tells the rest
            }
        }
    } catch (...) {
        m_data->EndWork(wmWrite);
        throw;
    }
    m_data->EndWork(wmWrite);
    m_data->Disconnect();
}
