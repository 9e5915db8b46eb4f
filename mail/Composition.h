#pragma once

#include "mail/IdMessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

// What goes into each picture mail and under which names the picture travels.

// One picture mail as the send operation receives it.
struct PictureMail
{
    QString FromName;
    QString FromAddress;
    QString PictureName; // also the attachment's name
    bool ServerRoute = false; // the picture is uploaded as well, under UploadName
    QString UploadName;
    QString Body; // with the link block already appended for the server route
    QString Subject;
    QString RecipientName;
    QString RecipientAddress;
};

// Draws a whole number from low to high, both included.
using RandomDraw = std::function<int(int low, int high)>;
int SystemRandomDraw(int low, int high);

// "yy-mm-dd_hh-nn-ss" of when: 12 May 2006 14:03:59 is "06-05-12_14-03-59".
QString PictureTimeStamp(const QDateTime &when);

// The name of an interactive send's picture: the time stamp, a number from 1 to 999 and ".jpg",
// such as "06-05-12_14-03-597.jpg". Made anew for every recipient.
QString InteractivePictureName(const QDateTime &when, const RandomDraw &draw = SystemRandomDraw);

// The name of a scheduled picture: the time stamp and ".jpg".
QString ScheduledPictureName(const QDateTime &when);

// The note before the link of a server-route mail.
inline constexpr char kLinkNote[] = "＜添付画像を見られない場合は、下記のサイトにアクセスして下さい＞";

// The body of an interactive send: every line of the body field followed by CR LF (a line break at
// the end of the field makes no extra line), then, for the server route, two empty lines, the note
// and the link: url and the upload name joined as they stand, without a final line break.
QString PictureMailBody(const QString &bodyField, bool serverRoute, const QString &url,
                        const QString &uploadName);

// The lines of text at CR, LF or CR LF, in ISO-2022-JP; a line break at the end makes no extra line.
QList<QByteArray> BodyLines(const QString &text);

// The message of one picture mail: one recipient, the body and "tmp.jpg" of the work folder attached
// as a base64 JPEG under the picture name. Throws MessageError when a name, an address or the
// subject holds a line break.
TIdMessage BuildPictureMessage(const PictureMail &mail, const QString &workFolder);

// Moves "tmp.jpg" of the work folder into its subfolder folder (made when missing) under
// pictureName, as a sent or scheduled picture is kept. A picture of that name already there stays
// as it is. A copy that fails (a full disk, no folder) keeps "tmp.jpg" rather than losing the picture,
// and returns false.
bool KeepPicture(const QString &workFolder, const QString &folder, const QString &pictureName);
