// Writes the reply reader's seed corpus: reply_seeds FOLDER. Each seed is a client byte, a piece
// byte and what a server sends.

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: reply_seeds FOLDER\n", stderr);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder))
        return 1;
    const std::pair<const char *, QByteArray> seeds[] = {
        {"smtp-session",
         QByteArray("\x00\xff", 2)
             + "220 mail.example.com ESMTP\r\n250-mail.example.com\r\n250-AUTH LOGIN "
               "PLAIN\r\n250-AUTH=LOGIN\r\n"
               "250 8BITMIME\r\n250 ok\r\n334 VXNlcm5hbWU6\r\n334 UGFzc3dvcmQ6\r\n235 ok\r\n250 ok\r\n"
               "250 ok\r\n354 go\r\n250 queued\r\n"},
        {"smtp-pieces", QByteArray("\x00\x05", 2) + "220-a\r\n220 b\r\n500 no\r\n250 old\r\n250 ok\r\n"},
        {"smtp-early",
         QByteArray("\x00\x40", 2)
             + "220 hi\r\n250 hi\r\n250 ok\r\n250 ok\r\n250 ok\r\n354 go\r\n250 ok\r\n"},
        {"pop3-login", QByteArray("\x01\xff", 2) + "+OK ready\r\n+OK\r\n+OK Logged in.\r\n-ERR no\r\n"},
        {"ftp-login",
         QByteArray("\x02\x07", 2)
             + "220-Welcome\r\n to the server\r\n220 ready\r\n331 Password required\r\n230 ok\r\n200 Type "
               "I\r\n"
               "215 UNIX Type: L8\r\n227 Entering Passive Mode (127,0,0,1,4,1).\r\n150 go\r\n226 done\r\n"},
        // Once overflowed the port arithmetic.
        {"ftp-pasv-huge",
         QByteArray("\x02\xff", 2)
             + "220 hi\r\n230 ok\r\n200 ok\r\n215 UNIX\r\n"
               "227 ok 10,0,0,1,191803085,0\r\n"},
        {"ftp-pasv-bare",
         QByteArray("\x02\xff", 2) + "220 hi\r\n230 ok\r\n200 ok\r\n500 ?\r\n227 ok 10,0,0,1,195,80\r\n"},
    };
    for (const auto &[name, bytes] : seeds) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return 1;
    }
    return 0;
}
