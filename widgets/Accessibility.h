#pragma once

#include <QAccessible>
#include <QString>

class QLabel;
class QObject;
class QWidget;

// What screen readers and desktop automation (AT-SPI on Linux) read from the program's controls.
//
// The picture buttons, the flat check box, the flat drop-down list and the flat panel get
// interfaces of their own: a button is a push button named by its caption (a holdable one a check
// box, checked while held), and its press action runs the same sequence as a left click. An
// explicit setAccessibleName always wins over the caption, which is how caption-less buttons are
// named. Inputs are named by the label beside them with NameFromLabel.

// Installs the interfaces. The widgets that need them call it when they are made, so forgetting it
// loses nothing; start-up calls it once so that the order does not depend on which window comes
// first. Needs the QApplication.
void InstallAccessibility();

// A caption as it is read out: line breaks (real ones and the two characters backslash and n) as
// one space each, and no leading or trailing blanks, half-width or full-width.
QString AccessibleCaption(const QString &caption);
// A label's text as the name of its input: like a caption, without the closing colon ("横：" is "横").
QString AccessibleLabel(const QString &labelText);

// Names `input` by the label beside it and makes the label its buddy, so that the AT also sees
// "labelled by" / "label for".
void NameFromLabel(QWidget *input, QLabel *label);
// For labels that are not a QLabel: names `input` by the label's text.
void NameFromLabel(QWidget *input, const QString &labelText);

// Gives a custom-painted widget the role it plays (a graphic, say) instead of a plain client area.
// Call it before the widget is first shown: an interface once made is kept.
void SetAccessibleRole(QWidget *widget, QAccessible::Role role);

// Tell the AT that what it reads has changed; nothing is made when no AT listens.
void NotifyAccessibleNameChanged(QObject *object);
void NotifyAccessibleCheckedChanged(QObject *object);
