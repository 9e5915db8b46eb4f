#pragma once

#include <QScrollBar>

// A flat scroll bar in the program's colours.
class FlatScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit FlatScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
};
