#include "mail/IdMessage.h"

#include "mail/Iso2022Jp.h"

#include <QFileInfo>

TIdAttachment::TIdAttachment(const QString &path)
    : StoredPathName(path)
    , FileName(Iso2022Jp::fromText(QFileInfo(path).fileName()))
{ }

void TIdMessage::SetExtraHeader(const QString &name, const QString &value)
{
    for (qsizetype i = 0; i < ExtraHeaders.size(); ++i) {
        if (ExtraHeaders[i].first.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (value.isEmpty())
            ExtraHeaders.removeAt(i);
        else
            ExtraHeaders[i].second = value;
        return;
    }
    if (!value.isEmpty())
        ExtraHeaders.append({name, value});
}
