#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A flat panel: a plain colour with an optional one-pixel border. It can draw the program's rounded
// frame one pixel outside every visible input control placed directly on it (edit fields, memos,
// lists, drop-down lists, check boxes), and reports clicks on itself.
class FlatPanel : public QWidget
{
    Q_OBJECT
public:
    explicit FlatPanel(QWidget *parent = nullptr);

    QColor Color() const { return m_color; }
    void SetColor(const QColor &color);
    // An invalid colour: no border.
    void SetBorderColor(const QColor &color);
    // An invalid colour: no frames around the inputs.
    void SetInputFrameColor(const QColor &color);
    // A picture that fills the panel instead of its colour (stretched to the panel's size).
    void SetBackgroundPicture(const QPixmap &picture);

    // The frame drawn around an input control with this geometry: one pixel outside it.
    static QRect InputFrameRect(const QRect &control) { return control.adjusted(-1, -1, 1, 1); }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void childEvent(QChildEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static bool isInput(const QObject *child);

    QColor m_color;
    QPixmap m_picture;
    QColor m_border;
    QColor m_inputFrame;
    bool m_pressed = false;
};
