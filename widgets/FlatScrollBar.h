#pragma once

#include <QScrollBar>

// A flat scroll bar in the program's colours.
class TFlatScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit TFlatScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);
};
