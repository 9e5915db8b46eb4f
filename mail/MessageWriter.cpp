#include "mail/MessageWriter.h"

#include "common/BoundedFile.h"
#include "common/ShownText.h"
#include "common/Sjis.h"
#include "mail/Iso2022Jp.h"

#include <QFile>

#include <memory>
#include <vector>

namespace {

constexpr qsizetype kBase64Piece = 57; // 76 characters a line (RFC 2045, section 6.8)
constexpr char kPartIndent[] = "        ";
// RFC 5322, section 2.1.1: at most 998 characters a line, without its CR LF.
constexpr qsizetype kMaxLine = 998;
constexpr char kEsc = '\x1b';
using Iso2022Jp::kToAscii;

bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

void refuseLineBreak(const QString &text, const QString &what)
{
    if (hasLineBreak(text))
        throw MessageError(QStringLiteral("%1に改行を含めることはできません。").arg(what));
}

void refuseLineBreaks(const QList<TIdEMailAddressItem> &items, const QString &name, const QString &address)
{
    for (const TIdEMailAddressItem &item : items) {
        refuseLineBreak(item.Name, name);
        refuseLineBreak(item.Address, address);
    }
}

void refuseLineBreaks(const HeaderList &headers)
{
    for (const auto &[name, value] : headers) {
        refuseLineBreak(name, QStringLiteral("ヘッダー名"));
        refuseLineBreak(value, QStringLiteral("ヘッダー「%1」").arg(Excerpt(name)));
    }
}

QByteArray joinAddresses(const QList<TIdEMailAddressItem> &items, HeaderCharset charset)
{
    QByteArray out;
    for (const TIdEMailAddressItem &item : items) {
        if (!out.isEmpty())
            out.append(", ");
        out.append(EncodeAddress(item, charset));
    }
    return out;
}

bool hasContentId(const TIdMessage &msg)
{
    for (const TIdAttachment &part : msg.MessageParts) {
        if (!part.ContentID.isEmpty())
            return true;
    }
    return false;
}

QByteArray contentType(const TIdMessage &msg)
{
    if (msg.MessageParts.isEmpty())
        return QByteArray();
    QByteArray type = hasContentId(msg)
        ? QByteArray("multipart/related; type=\"multipart/alternative\"; boundary=\"") + kRelatedBoundary
            + '"'
        : QByteArray("multipart/mixed; boundary=\"") + kMixedBoundary + '"';
    if (!msg.CharSet.isEmpty())
        type += ";\r\n\tcharset=\"" + Sjis::encode(msg.CharSet) + '"';
    return type;
}

// The file name without a folder part. Only a separator in ASCII mode is one: the bytes of a JIS
// X 0208 character may look like '/' or '\'.
QByteArray baseName(const QByteArray &name)
{
    qsizetype start = 0;
    bool wide = false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (name[i] == '\x1b' && i + 2 < name.size()) {
            wide = name[i + 1] == '$';
            i += 2;
        } else if (!wide && (name[i] == '/' || name[i] == '\\')) {
            start = i + 1;
        }
    }
    return name.mid(start);
}

// RFC 2821, section 4.5.2: a line that starts with a full stop gets one more.
QByteArray stuffed(const QByteArray &line)
{
    return line.startsWith('.') ? '.' + line : line;
}

// The length of the ISO-2022-JP escape sequence at i (ESC "$B", ESC "$(D", ESC "(B", ...), or 0.
qsizetype escapeAt(const QByteArray &line, qsizetype i)
{
    if (line[i] != kEsc || i + 2 >= line.size())
        return 0;
    if (line[i + 1] == '(')
        return 3;
    if (line[i + 1] == '$')
        return line[i + 2] == '(' ? (i + 3 < line.size() ? 4 : 0) : 3;
    return 0;
}

// A line longer than a server takes, cut between characters into lines that it takes. A server
// left to cut it would cut anywhere, inside a two-byte character or an escape sequence. A line cut
// in a two-byte mode ends with ESC "(B" and the next one starts with the escape that was in force,
// so that every line ends in ASCII and the text reads as before: the added line breaks are the
// only change. Each line comes out stuffed.
QList<QByteArray> foldedLine(const QByteArray &line)
{
    if (stuffed(line).size() <= kMaxLine)
        return {stuffed(line)};
    QList<QByteArray> out;
    QByteArray current;
    QByteArray mode = kToAscii; // the escape in force
    const auto twoByte = [](const QByteArray &escape) {
        return escape.size() > 1 && escape[1] == '$';
    };
    const auto closing = [](const QByteArray &escape) {
        return escape == kToAscii ? 0 : 3;
    };
    for (qsizetype i = 0; i < line.size();) {
        const qsizetype escape = escapeAt(line, i);
        const qsizetype length
            = escape > 0 ? escape : qMin<qsizetype>(twoByte(mode) ? 2 : 1, line.size() - i);
        const QByteArray unit = line.mid(i, length);
        i += length;
        const QByteArray next = escape > 0 ? unit : mode;
        // A character that opens a line in a two-byte mode needs the escape in front of it again.
        const auto opening = [&] {
            return escape == 0 && mode != kToAscii ? mode + unit : unit;
        };
        QByteArray add = current.isEmpty() ? opening() : unit;
        const QByteArray &first = current.isEmpty() ? add : current;
        const qsizetype limit = first.startsWith('.') ? kMaxLine - 1 : kMaxLine;
        if (!current.isEmpty() && current.size() + add.size() + closing(next) > limit) {
            if (mode != kToAscii)
                current += kToAscii;
            out.append(stuffed(current));
            current.clear();
            add = opening();
        }
        current += add;
        mode = next;
    }
    if (!current.isEmpty())
        out.append(stuffed(current));
    return out;
}

void writeBody(const QList<QByteArray> &body, LineSink &sink)
{
    for (const QByteArray &given : body) {
        // A line break inside a line would let its text pass as a line of its own, "." included.
        QByteArray line = given;
        line.replace("\r\n", "\n").replace('\r', '\n');
        for (const QByteArray &piece : line.split('\n')) {
            for (const QByteArray &written : foldedLine(piece))
                sink.WriteLine(written);
        }
    }
}

// RFC 2045, section 5.1: a parameter value in double quotes, with a backslash before each double
// quote and backslash in it (JIS bytes included), so that no value can end early and start a
// parameter of its own.
QByteArray quotedValue(const QByteArray &value)
{
    QByteArray out = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + '"';
}

// The next 57 bytes of the file, fewer only at its end; a short read must not end a line early.
// *total counts the bytes read so far: a file that grows past the limit while it is sent fails.
QByteArray readPiece(QFile &file, qint64 *total)
{
    QByteArray piece;
    while (piece.size() < kBase64Piece) {
        const QByteArray more = file.read(kBase64Piece - piece.size());
        if (more.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                throw FileError(
                    QStringLiteral("ファイル %1 を読めません: %2").arg(file.fileName(), file.errorString()));
            break;
        }
        piece.append(more);
    }
    *total += piece.size();
    if (*total > kMaxAttachmentBytes)
        throw FileError(QStringLiteral("ファイル %1 を読めません: %2")
                            .arg(file.fileName(), FileFaultText(FileFault::TooLarge, kMaxAttachmentBytes)));
    return piece;
}

QByteArray headerText(const QString &text)
{
    return Sjis::encode(text);
}

} // namespace

void ValidateMessage(const TIdMessage &msg)
{
    refuseLineBreak(msg.From.Name, QStringLiteral("差出人の名前"));
    refuseLineBreak(msg.From.Address, QStringLiteral("差出人のアドレス"));
    refuseLineBreaks(msg.Recipients, QStringLiteral("宛先の名前"), QStringLiteral("宛先のアドレス"));
    refuseLineBreaks(msg.CCList, QStringLiteral("宛先の名前"), QStringLiteral("宛先のアドレス"));
    refuseLineBreaks(msg.BccList, QStringLiteral("宛先の名前"), QStringLiteral("宛先のアドレス"));
    refuseLineBreak(msg.Subject, QStringLiteral("件名"));
    refuseLineBreak(msg.CharSet, QStringLiteral("文字コード"));
    refuseLineBreak(msg.ContentTransferEncoding, QStringLiteral("転送エンコーディング"));
    refuseLineBreaks(msg.ExtraHeaders);
    for (const TIdAttachment &part : msg.MessageParts) {
        if (part.FileName.contains('\r') || part.FileName.contains('\n'))
            throw MessageError(QStringLiteral("添付ファイル名に改行を含めることはできません。"));
        refuseLineBreak(part.ContentType, QStringLiteral("添付ファイルの種類"));
        refuseLineBreak(part.ContentDisposition, QStringLiteral("添付ファイルの扱い"));
        refuseLineBreak(part.ContentID, QStringLiteral("添付ファイルのID"));
        refuseLineBreaks(part.ExtraHeaders);
        if (!part.ContentTransfer.isEmpty()
            && part.ContentTransfer.compare(QLatin1String("base64"), Qt::CaseInsensitive) != 0)
            throw MessageError(
                QStringLiteral("添付ファイルの転送エンコーディング「%1」には対応していません。")
                    .arg(Excerpt(part.ContentTransfer)));
    }
}

QByteArray MessageDate(const QDateTime &when)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[]
        = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = when.date();
    const QTime time = when.time();
    const int offset = when.offsetFromUtc() / 60;
    const int magnitude = offset < 0 ? -offset : offset;
    return QString::asprintf("%s, %d %s %d %02d:%02d:%02d %c%02d%02d", days[date.dayOfWeek() - 1], date.day(),
                             months[date.month() - 1], date.year(), time.hour(), time.minute(), time.second(),
                             offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60)
        .toLatin1();
}

void WriteMessage(const TIdMessage &msg, LineSink &sink, HeaderCharset charset)
{
    ValidateMessage(msg);

    // Every attachment is opened before the first line, so a missing file sends nothing.
    std::vector<std::unique_ptr<QFile>> files;
    for (const TIdAttachment &part : msg.MessageParts) {
        FileFault fault = FileFault::None;
        std::unique_ptr<QFile> file = OpenRegularFile(part.StoredPathName, kMaxAttachmentBytes, &fault);
        if (!file)
            throw FileError(QStringLiteral("ファイル %1 を開けません: %2")
                                .arg(part.StoredPathName, FileFaultText(fault, kMaxAttachmentBytes)));
        files.push_back(std::move(file));
    }

    const QDateTime date = msg.Date.isValid() ? msg.Date : QDateTime::currentDateTime();
    const QList<QPair<QByteArray, QByteArray>> headers = {
        {"From", EncodeAddress(msg.From, charset)},
        {"Subject", EncodeHeader(msg.Subject, QByteArray(), charset)},
        {"To", joinAddresses(msg.Recipients, charset)},
        {"Cc", joinAddresses(msg.CCList, charset)},
        {"Content-Type", contentType(msg)},
        {"MIME-Version", msg.MessageParts.isEmpty() ? QByteArray() : QByteArray("1.0")},
        {"Content-Transfer-Encoding", headerText(msg.ContentTransferEncoding)},
        {"Date", MessageDate(date)},
        {"X-Priority",
         msg.Priority == MessagePriority::Normal ? QByteArray()
                                                 : QByteArray::number(static_cast<int>(msg.Priority))},
    };
    const auto writeHeader = [&sink](const QByteArray &name, const QByteArray &value) {
        if (value.isEmpty())
            return;
        for (const QByteArray &line : FoldHeader(name + ": " + value))
            sink.WriteLine(line);
    };
    for (const auto &[name, value] : headers)
        writeHeader(name, value);
    for (const auto &[name, value] : msg.ExtraHeaders)
        writeHeader(headerText(name), headerText(value));
    sink.WriteLine(QByteArray());

    if (msg.MessageParts.isEmpty()) {
        writeBody(msg.Body, sink);
        return;
    }

    const QByteArray boundary = QByteArray("--") + (hasContentId(msg) ? kRelatedBoundary : kMixedBoundary);
    sink.WriteLine("This is a multi-part message in MIME format");
    sink.WriteLine(QByteArray());
    sink.WriteLine(boundary);
    sink.WriteLine("Content-Type: text/plain");
    sink.WriteLine("Content-Transfer-Encoding: 7bit");
    sink.WriteLine(QByteArray());
    writeBody(msg.Body, sink);

    for (qsizetype p = 0; p < msg.MessageParts.size(); ++p) {
        const TIdAttachment &part = msg.MessageParts[p];
        const QByteArray name = baseName(part.FileName);
        const QByteArray type = part.ContentType.isEmpty() ? QByteArray("application/octet-stream")
                                                           : headerText(part.ContentType);
        const QByteArray disposition = part.ContentDisposition.isEmpty()
            ? QByteArray("attachment")
            : headerText(part.ContentDisposition);
        sink.WriteLine(QByteArray());
        sink.WriteLine(boundary);
        sink.WriteLine("Content-Type: " + type + ';');
        sink.WriteLine(kPartIndent + QByteArray("name=") + quotedValue(name));
        sink.WriteLine("Content-Transfer-Encoding: base64");
        sink.WriteLine("Content-Disposition: " + disposition + ';');
        sink.WriteLine(kPartIndent + QByteArray("filename=") + quotedValue(name));
        if (!part.ContentID.isEmpty())
            sink.WriteLine("Content-Id: " + headerText(part.ContentID));
        for (const auto &[header, value] : part.ExtraHeaders)
            sink.WriteLine(headerText(header) + ": " + headerText(value));
        sink.WriteLine(QByteArray());

        QFile &file = *files[static_cast<size_t>(p)];
        qint64 total = 0;
        for (;;) {
            const QByteArray piece = readPiece(file, &total);
            if (piece.isEmpty())
                break;
            sink.WriteLine(piece.toBase64());
        }
        sink.WriteLine(QByteArray());
    }
    sink.WriteLine(boundary + "--");
}
