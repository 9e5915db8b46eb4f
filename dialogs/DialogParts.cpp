#include "dialogs/DialogParts.h"

#include "widgets/Colors.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLabel>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QChar(0x3000);
}

} // namespace

QString LabelName(const QString &label)
{
    QString name = label.trimmed();
    while (name.endsWith(QChar(0xFF1A)) || name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name;
}

QString CaptionName(const QString &caption)
{
    QString name = caption;
    name.replace(QLatin1String("\\n"), QLatin1String(" "));
    qsizetype start = 0;
    while (start < name.size() && isBlank(name[start]))
        ++start;
    qsizetype end = name.size();
    while (end > start && isBlank(name[end - 1]))
        --end;
    return name.mid(start, end - start);
}

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, QPoint at, int rightEdge)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QPalette pal = label->palette();
    pal.setColor(QPalette::Active, QPalette::WindowText, Colors::Text);
    pal.setColor(QPalette::Inactive, QPalette::WindowText, Colors::Text);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    label->setPalette(pal);
    label->resize(label->sizeHint());
    label->move(rightEdge >= 0 ? QPoint(rightEdge - label->width(), at.y()) : at);
    return label;
}

TFlatEdit *MakeField(QWidget *parent, const char *name, const QRect &place, const QLabel *label)
{
    auto *edit = new TFlatEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    if (label)
        edit->setAccessibleName(LabelName(label->text()));
    return edit;
}

TLabeledBmpBtn *MakeButton(QWidget *parent, const char *name, const QString &caption, const QRect &place)
{
    TLabeledBmpBtn *button = MakeDialogButton(parent, name, caption, place);
    button->setAccessibleName(CaptionName(caption));
    return button;
}
