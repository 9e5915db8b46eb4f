#pragma once

#include <QCheckBox>

// A flat check box: a small square with a tick and its text beside it. It toggles itself when the
// left button goes down on it and then reports the press, so the mouse-down handler sees the new
// state; the space key and the accessible actions toggle it the same way, mouse-down included.
class FlatCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    static constexpr int kBoxSize = 13;

    explicit FlatCheckBox(QWidget *parent = nullptr);
    explicit FlatCheckBox(const QString &text, QWidget *parent = nullptr);

    void SetColors(const QColor &box, const QColor &mark);

    QSize sizeHint() const override;

    // Does what a left press on it does: toggles, then reports clicked and mouse-down.
    void Click();

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    QColor m_box;
    QColor m_mark;
};
