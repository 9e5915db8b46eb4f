// The written message read back by somebody else's parser: Python's email package.

#include "mail/Composition.h"
#include "mail/MessageWriter.h"

#include "support/Files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Debian's interpreter: its email package is the one we trust here.
constexpr char kPython[] = "/usr/bin/python3";

constexpr char kParse[] = R"(
import email, email.policy, json, sys
msg = email.message_from_bytes(sys.stdin.buffer.read(), policy=email.policy.default)
parts = list(msg.iter_parts())
out = {
    'subject': str(msg['subject']),
    'from': [msg['from'].addresses[0].display_name, msg['from'].addresses[0].addr_spec],
    'to': [[a.display_name, a.addr_spec] for a in msg['to'].addresses],
    'type': msg.get_content_type(),
    'parts': len(parts),
    'body': parts[0].get_payload(decode=True).decode('iso-2022-jp').replace('\r\n', '\n'),
    'filename': parts[1].get_filename(),
    'attachmentType': parts[1].get_content_type(),
    'attachment': parts[1].get_payload(decode=True).hex(),
    'defects': [str(d) for p in [msg] + parts for d in p.defects],
}
print(json.dumps(out))
)";

struct WireSink : LineSink
{
    QByteArray data;
    // What a server keeps of each line: the line without its transparency dot.
    void WriteLine(const QByteArray &line) override
    {
        data += (line.startsWith('.') ? line.mid(1) : line) + "\r\n";
    }
};

QJsonObject parsedByPython(const QByteArray &message)
{
    QProcess python;
    python.start(QString::fromLatin1(kPython), {QStringLiteral("-c"), QString::fromLatin1(kParse)});
    if (!python.waitForStarted(10000)) {
        ADD_FAILURE() << kPython << " does not start";
        return {};
    }
    python.write(message);
    python.closeWriteChannel();
    python.waitForFinished(30000);
    const QByteArray errors = python.readAllStandardError();
    EXPECT_EQ(python.exitCode(), 0) << errors.constData();
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

TEST(MessageParser, PythonReadsBackWhatWentIn)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QByteArray picture(1000, '\0');
    QRandomGenerator random(20060512);
    for (char &b : picture)
        b = static_cast<char>(random.bounded(256));
    ASSERT_TRUE(testfiles::write(work.filePath(QStringLiteral("tmp.jpg")), picture));

    PictureMail mail;
    mail.FromName = QString::fromUtf8("山田 太郎");
    mail.FromAddress = QStringLiteral("taro@example.com");
    mail.RecipientName = QStringLiteral("Hanako \"Hana\" \\ Suzuki");
    mail.RecipientAddress = QStringLiteral("hanako@docomo.ne.jp");
    mail.Subject = QString::fromUtf8("Tavrin から写真を送ります。今日の夕焼けはとてもきれいでした Photo 1");
    mail.PictureName = QStringLiteral("06-05-12_14-03-597.jpg");
    mail.ServerRoute = true;
    mail.UploadName = mail.PictureName;
    const QString field
        = QString::fromUtf8("こんにちは。\n.で始まる行\n..\n漢字で終わる行\n\n「記号」・ー ABC");
    mail.Body = PictureMailBody(field, true, QStringLiteral("http://example.com/pics/"), mail.UploadName);

    WireSink sink;
    WriteMessage(BuildPictureMessage(mail, work.path()), sink);
    const QJsonObject parsed = parsedByPython(sink.data);

    EXPECT_EQ(parsed.value("subject").toString(), mail.Subject);
    EXPECT_EQ(parsed.value("from").toArray(), (QJsonArray {mail.FromName, mail.FromAddress}));
    EXPECT_EQ(parsed.value("to").toArray(),
              (QJsonArray {QJsonArray {mail.RecipientName, mail.RecipientAddress}}));
    EXPECT_EQ(parsed.value("type").toString(), "multipart/mixed");
    EXPECT_EQ(parsed.value("parts").toInt(), 2);
    const QString body
        = QString::fromUtf8("こんにちは。\n.で始まる行\n..\n漢字で終わる行\n\n「記号」・ー ABC\n\n\n"
                            "＜添付画像を見られない場合は、下記のサイトにアクセスして下さい＞\n"
                            "http://example.com/pics/06-05-12_14-03-597.jpg\n");
    EXPECT_EQ(parsed.value("body").toString(), body);
    EXPECT_EQ(parsed.value("filename").toString(), "06-05-12_14-03-597.jpg");
    EXPECT_EQ(parsed.value("attachmentType").toString(), "image/jpeg");
    EXPECT_EQ(parsed.value("attachment").toString().toLatin1(), picture.toHex());
    EXPECT_EQ(parsed.value("defects").toArray(), QJsonArray());
}

} // namespace
