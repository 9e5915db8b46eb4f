#include "mail/Composition.h"

#include "common/BoundedFile.h"
#include "common/SaveFile.h"
#include "mail/Iso2022Jp.h"
#include "mail/MessageWriter.h"
#include "mail/TextLines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

int SystemRandomDraw(int low, int high)
{
    return QRandomGenerator::global()->bounded(low, high + 1);
}

QString PictureTimeStamp(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("%02d-%02d-%02d_%02d-%02d-%02d", d.year() % 100, d.month(), d.day(), t.hour(),
                             t.minute(), t.second());
}

QString InteractivePictureName(const QDateTime &when, const RandomDraw &draw)
{
    return PictureTimeStamp(when) + QString::number(draw(1, 999)) + QStringLiteral(".jpg");
}

QString ScheduledPictureName(const QDateTime &when)
{
    return PictureTimeStamp(when) + QStringLiteral(".jpg");
}

QString PictureMailBody(const QString &bodyField, bool serverRoute, const QString &url,
                        const QString &uploadName)
{
    QString body;
    for (const QString &line : SplitLines(bodyField))
        body += line + QStringLiteral("\r\n");
    if (serverRoute)
        body += QStringLiteral("\r\n\r\n") + QString::fromUtf8(kLinkNote) + QStringLiteral("\r\n") + url
            + uploadName;
    return body;
}

QList<QByteArray> BodyLines(const QString &text)
{
    return SplitLines(Iso2022Jp::fromText(text));
}

TIdMessage BuildPictureMessage(const PictureMail &mail, const QString &workFolder)
{
    TIdMessage msg;
    msg.Subject = mail.Subject;
    msg.Body = BodyLines(mail.Body);
    msg.From = {mail.FromName, mail.FromAddress};
    msg.Recipients = {{mail.RecipientName, mail.RecipientAddress}};
    TIdAttachment picture(QDir(workFolder).filePath(QStringLiteral("tmp.jpg")));
    picture.ContentTransfer = QStringLiteral("base64");
    picture.ContentType = QStringLiteral("image/jpeg");
    picture.FileName = Iso2022Jp::fromText(QFileInfo(mail.PictureName).fileName());
    msg.MessageParts = {picture};
    ValidateMessage(msg);
    return msg;
}

namespace {

// As large as a picture the JPEG writer makes can be.
constexpr qint64 kMaxKeptBytes = qint64(256) << 20;

} // namespace

bool KeepPicture(const QString &workFolder, const QString &folder, const QString &pictureName)
{
    const QDir work(workFolder);
    const QString tmp = work.filePath(QStringLiteral("tmp.jpg"));
    work.mkpath(folder);
    const QString kept = work.filePath(folder + QLatin1Char('/') + pictureName);
    const QFileInfo there(kept);
    if (there.exists() && !there.isFile())
        return false;
    if (!there.exists()) {
        // Every write checked: a copy cut short by a full disk must not pass for the picture.
        const FileRead picture = ReadRegularFile(tmp, kMaxKeptBytes);
        if (!picture || !SaveWholeFile(kept, picture.bytes))
            return false;
    }
    QFile::remove(tmp);
    return true;
}
