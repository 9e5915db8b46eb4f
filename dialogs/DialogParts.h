#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

class QLabel;
class QWidget;
class FlatEdit;

// A label in the dialogs' text colour that greys out when it is disabled, sized to its text, its
// right edge at `rightEdge` when that is given (labels before fields).
QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, QPoint at, int rightEdge = -1);

// An edit field named for screen readers by its label (NameFromLabel).
FlatEdit *MakeField(QWidget *parent, const char *name, const QRect &place, QLabel *label);
