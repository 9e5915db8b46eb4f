#pragma once

#include "widgets/Artwork.h"

#include <QPixmap>
#include <QWidget>

#include <array>
#include <functional>

// A picture button: shows one of three pictures, normal, pressed (while the left mouse button is
// down on it) and disabled, and sizes itself to the picture. It takes no keyboard focus; screen
// readers and automation press it through its accessible actions (widgets/Accessibility.h).
class TBmpBtn : public QWidget
{
    Q_OBJECT
public:
    // The pictures are the program's three button looks.
    using Picture = Artwork::ButtonLook;

    explicit TBmpBtn(QWidget *parent = nullptr);

    void SetPictureNormal(const QPixmap &picture);
    void SetPictureDown(const QPixmap &picture);
    void SetPictureDisable(const QPixmap &picture);
    // Pictures of the given size drawn by source when first shown: many buttons start hidden, and
    // many are never pressed or disabled. The button takes the size at once.
    void SetPictureSource(QSize size, std::function<QPixmap(Picture)> source);
    // The program's own three pictures for a button of this size.
    void SetStandardPictures(QSize size);

    const QPixmap &PictureNormal() const { return picture(Picture::Normal); }
    const QPixmap &PictureDown() const { return picture(Picture::Down); }
    const QPixmap &PictureDisable() const { return picture(Picture::Disable); }

    void SetEnabled(bool on);
    // The picture shown now.
    Picture Shown() const { return m_shown; }
    // The left button is down on it.
    bool Pressing() const { return m_pressing; }

    // Does what a left click in its middle does: the press with its look and mouse-down, then the
    // release with mouse-up and click. Nothing happens while it is disabled or hidden.
    void Click();

    QSize sizeHint() const override;

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void mouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    // Left button pressed and released on the button.
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

    // The look at a press and a release; the labelled button adds its caption and hold state.
    // MousePressed returns false when the press must not reach the mouse-down handler.
    virtual bool MousePressed();
    virtual void MouseReleased();
    // Shows the picture that the current state asks for and repaints.
    virtual void UpdateLook();
    void Show(Picture picture);

    const QPixmap &ShownPixmap() const;
    void SetPressing(bool on) { m_pressing = on; }

private:
    const QPixmap &picture(Picture which) const;
    void setPicture(Picture which, const QPixmap &picture);
    void fitToPicture();
    void press(Qt::KeyboardModifiers modifiers, QPoint pos);
    void release(Qt::KeyboardModifiers modifiers, QPoint pos);

    std::function<QPixmap(Picture)> m_source;
    // Indexed by Picture; drawn on first use where m_drawn says not yet.
    mutable std::array<QPixmap, 3> m_pictures;
    mutable std::array<bool, 3> m_drawn {true, true, true};
    Picture m_shown = Picture::Normal;
    bool m_pressing = false;
};
