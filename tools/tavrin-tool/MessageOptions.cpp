#include "tools/tavrin-tool/MessageOptions.h"

#include "common/Exception.h"
#include "mail/Composition.h"
#include "mail/Iso2022Jp.h"
#include "mail/MessageWriter.h"

namespace {

// A mail body is typed text; a handset shows a few kilobytes of it.
constexpr qint64 kMaxBodyBytes = 1 << 20;

} // namespace

const QStringList &MessageOptionNames()
{
    static const QStringList names = {
        QStringLiteral("--from-name"), QStringLiteral("--from"),    QStringLiteral("--to-name"),
        QStringLiteral("--to"),        QStringLiteral("--subject"), QStringLiteral("--body-file"),
        QStringLiteral("--attach"),    QStringLiteral("--name"),    QStringLiteral("--date"),
    };
    return names;
}

bool ReadMessageOptions(const ToolArgs &args, TIdMessage *msg, QString *error)
{
    const auto fail = [error](const QString &text) {
        *error = text;
        return false;
    };
    if (!args.ok())
        return fail(args.error());
    for (const char *required : {"--from", "--to"}) {
        if (!args.has(QLatin1String(required)))
            return fail(QStringLiteral("option %1 is required").arg(QLatin1String(required)));
    }
    if (args.has(QStringLiteral("--name")) && !args.has(QStringLiteral("--attach")))
        return fail(QStringLiteral("option --name needs --attach"));

    TIdMessage m;
    m.From = {args.value(QStringLiteral("--from-name")), args.value(QStringLiteral("--from"))};
    m.Recipients = {{args.value(QStringLiteral("--to-name")), args.value(QStringLiteral("--to"))}};
    m.Subject = args.value(QStringLiteral("--subject"));
    if (args.has(QStringLiteral("--body-file"))) {
        QString problem;
        const std::optional<QString> body
            = ReadTextFile(args.value(QStringLiteral("--body-file")), kMaxBodyBytes, &problem);
        if (!body)
            return fail(problem);
        m.Body = BodyLines(*body);
    }
    if (args.has(QStringLiteral("--attach"))) {
        TIdAttachment part(args.value(QStringLiteral("--attach")));
        if (args.has(QStringLiteral("--name")))
            part.FileName = Iso2022Jp::fromText(args.value(QStringLiteral("--name")));
        m.MessageParts = {part};
    }
    if (args.has(QStringLiteral("--date"))) {
        m.Date = QDateTime::fromString(args.value(QStringLiteral("--date")), Qt::ISODate);
        if (!m.Date.isValid())
            return fail(QStringLiteral("--date wants a time such as 2006-01-07T12:34:56+09:00"));
    }
    try {
        ValidateMessage(m);
    } catch (const Exception &e) {
        return fail(e.Message());
    }
    *msg = m;
    return true;
}
