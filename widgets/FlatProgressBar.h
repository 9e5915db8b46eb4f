#pragma once

#include <QProgressBar>

// A flat progress bar: a one-pixel border and a plain bar, no text.
class FlatProgressBar : public QProgressBar
{
    Q_OBJECT
public:
    explicit FlatProgressBar(QWidget *parent = nullptr);

    void SetBarColor(const QColor &color);
    void SetBorderColor(const QColor &color);
    void SetBackgroundColor(const QColor &color);

    // The part of the inside that the bar fills at the current position.
    QRect BarRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_bar;
    QColor m_border;
    QColor m_background;
};
