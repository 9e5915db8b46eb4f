#pragma once

#include "widgets/FlatPanel.h"

#include <QLabel>
#include <QPoint>
#include <QString>

#include <functional>

class MainModel;
class TBmpBtn;

// The look shared by the panes of the command area: the pane background, the orange frame one
// pixel outside every input, labels in the text colour. A click on the pane, or on one of its
// buttons, first hides the popup list (the model's PanelClick).
class Pane : public FlatPanel
{
    Q_OBJECT
public:
    Pane(const char *name, MainModel &model, QWidget *parent);

protected:
    // A button of the pane: the popup list hides, then action runs; at the click, or at the press
    // for the buttons that act when pressed.
    void OnButton(TBmpBtn *button, std::function<void()> action, bool atPress = false);
    void resizeEvent(QResizeEvent *event) override;

    MainModel &m_model;
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
