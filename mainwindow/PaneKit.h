#pragma once

#include "widgets/FlatPanel.h"

#include <QLabel>
#include <QPoint>
#include <QString>

// The look shared by the panes of the command area: the pane background, the orange frame one
// pixel outside every input, labels in the text colour.
class Pane : public TFlatPanel
{
    Q_OBJECT
public:
    Pane(const char *name, QWidget *parent);

protected:
    void resizeEvent(QResizeEvent *event) override;
};

// A label of a pane. Clicks on it reach the pane (which hides the popup list), unless it is clickable:
// then it reports them itself through clicked().
class PaneLabel : public QLabel
{
    Q_OBJECT
public:
    PaneLabel(QWidget *parent, const char *name, const QString &text, QPoint at);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
