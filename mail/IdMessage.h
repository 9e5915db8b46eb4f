#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The picture mail as the composition fills it and the message writer writes it.

struct TIdEMailAddressItem
{
    QString Name;
    QString Address;
};

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
    QList<QPair<QString, QString>> ExtraHeaders;
};

struct TIdMessage
{
    TIdEMailAddressItem From;
    QList<TIdEMailAddressItem> Recipients;
    QList<TIdEMailAddressItem> CCList;
    QList<TIdEMailAddressItem> BccList;
    QString Subject;
    QList<QByteArray> Body; // lines already converted to ISO-2022-JP
    QList<TIdAttachment> MessageParts;
    QList<QPair<QString, QString>> ExtraHeaders;
};
