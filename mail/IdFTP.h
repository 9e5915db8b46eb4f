#pragma once

#include "mail/CommandConnection.h"
#include "mail/IdRFCReply.h"

#include <memory>

enum FtpTransferType { ftASCII, ftBinary };

// FTP client (RFC 959) for one upload, with explicit TLS (RFC 4217: AUTH TLS, PBSZ 0, PROT P) or
// TLS from the start as UseTLS asks: Connect logs in and sets the transfer type, ChangeDir,
// Put over a passive data connection, Disconnect (no QUIT). The data connection carries this
// client's pump and progress handlers, so progress arrives with the data connection as sender.
class TIdFTP : public CommandConnection
{
public:
    TIdFTP();
    ~TIdFTP() override;

    QString Username;
    QString Password;
    FtpTransferType TransferType = ftBinary;

    const TIdRFCReply &Greeting() const { return m_greeting; }
    // First line of the SYST reply, "Unknown" when the server does not know the command.
    const QString &SystemDesc() const { return m_systemDesc; }

    // A user name or password with CR or LF raises ValueError before anything is sent.
    void Connect() override;
    // Throws ValueError when the folder or the remote name holds CR or LF; ChangeDir and Put
    // check too, but a caller checks first so that nothing at all is sent.
    static void CheckUpload(const QString &folder, const QString &remoteName);
    void ChangeDir(const QString &folder);
    // Stores the local file under remoteName in the current folder. A file that cannot be read
    // throws FileError before anything is sent.
    void Put(const QString &localPath, const QString &remoteName, bool append = false);

    // Data port of a PASV reply's first line: the six numbers in brackets, or after the last blank.
    // Throws EIdException when they do not form an address and port.
    static int ParsePasvPort(const QString &line);

protected:
    // Greeting, USER (PASS unless USER was enough), TYPE, SYST.
    void Greet() override;
    // Disconnect closes any data connection too, at once; no QUIT is written.
    void Disconnected() noexcept override;
    bool EndOfReply(const QStringList &lines) const override { return EndOfCodedReply(lines, false); }
    int ImplicitTlsPort() const override { return 990; }

private:
    void Login();
    void SendFile(class QFile &file);

    TIdRFCReply m_greeting;
    QString m_systemDesc;
    std::unique_ptr<class FtpDataConnection> m_data;
    bool m_protectData = false; // PROT P accepted: data connections in TLS
};
