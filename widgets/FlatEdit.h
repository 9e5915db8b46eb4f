#pragma once

#include <QLineEdit>

// A flat edit field without a frame of its own (its panel draws one around it). It reports clicks
// and wheel turns; a wheel turn it does not use goes on to the window.
class FlatEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FlatEdit(QWidget *parent = nullptr);

    void SetColors(const QColor &background, const QColor &text);
    // Selects the whole text whenever the field is entered other than by a click.
    void SetAutoSelect(bool on) { m_autoSelect = on; }
    // Off: the field takes plain keys only, no input method (numbers, addresses).
    void SetInputMethod(bool on);

Q_SIGNALS:
    void clicked();
    void mouseWheel(int delta);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_autoSelect = false;
    bool m_pressed = false;
};
