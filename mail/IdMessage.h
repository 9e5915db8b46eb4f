#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

// The picture mail as the composition fills it and the message writer writes it.

struct TIdEMailAddressItem
{
    QString Name;
    QString Address;
};

using HeaderList = QList<QPair<QString, QString>>;

// One attached file. The file is opened and read only when the message is written.
struct TIdAttachment
{
    TIdAttachment() = default;
    // Stores the path and takes its last component as the file name; callers then set FileName.
    explicit TIdAttachment(const QString &path);

    QString StoredPathName;
    QByteArray FileName; // as written into the part's headers (ISO-2022-JP or plain ASCII)
    QString ContentType = QStringLiteral("image/jpeg");
    QString ContentTransfer = QStringLiteral("base64");
    QString ContentDisposition; // empty: "attachment"
    QString ContentID;
    HeaderList ExtraHeaders;
};

enum class MessagePriority { Highest = 1, High = 2, Normal = 3, Low = 4, Lowest = 5 };

struct TIdMessage
{
    TIdEMailAddressItem From;
    QList<TIdEMailAddressItem> Recipients;
    QList<TIdEMailAddressItem> CCList;
    QList<TIdEMailAddressItem> BccList;
    QString Subject;
    QList<QByteArray> Body; // lines already converted to ISO-2022-JP
    QList<TIdAttachment> MessageParts;
    HeaderList ExtraHeaders;

    // Invalid: the local time at the moment the header is written.
    QDateTime Date;
    MessagePriority Priority = MessagePriority::Normal;
    QString CharSet; // appended to the content type when set
    QString ContentTransferEncoding;

    // Sets the extra header name (compared without regard to case) to value; an empty value removes it.
    void SetExtraHeader(const QString &name, const QString &value);
};
