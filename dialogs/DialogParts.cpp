#include "dialogs/DialogParts.h"

#include "widgets/Accessibility.h"
#include "widgets/Colors.h"
#include "widgets/FlatEdit.h"

#include <QLabel>

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

FlatEdit *MakeField(QWidget *parent, const char *name, const QRect &place, QLabel *label)
{
    auto *edit = new FlatEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    NameFromLabel(edit, label);
    return edit;
}
