#include "widgets/BmpBtn.h"

#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TBmpBtn::TBmpBtn(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    InstallAccessibility();
}

const QPixmap &TBmpBtn::picture(Picture which) const
{
    const auto i = std::size_t(which);
    if (!m_drawn[i]) {
        m_drawn[i] = true;
        m_pictures[i] = m_source(which);
    }
    return m_pictures[i];
}

void TBmpBtn::setPicture(Picture which, const QPixmap &picture)
{
    const auto i = std::size_t(which);
    m_pictures[i] = picture;
    m_drawn[i] = true;
    if (which == Picture::Normal)
        fitToPicture();
    UpdateLook();
}

void TBmpBtn::SetPictureNormal(const QPixmap &picture)
{
    setPicture(Picture::Normal, picture);
}

void TBmpBtn::SetPictureDown(const QPixmap &picture)
{
    setPicture(Picture::Down, picture);
}

void TBmpBtn::SetPictureDisable(const QPixmap &picture)
{
    setPicture(Picture::Disable, picture);
}

void TBmpBtn::SetPictureSource(QSize size, std::function<QPixmap(Picture)> source)
{
    m_source = std::move(source);
    m_drawn.fill(false);
    resize(size);
    UpdateLook();
}

void TBmpBtn::SetStandardPictures(QSize size)
{
    SetPictureSource(size, [size](Picture which) { return Artwork::ButtonPicture(size, which); });
}

void TBmpBtn::SetEnabled(bool on)
{
    setEnabled(on); // the look follows in changeEvent
}

QSize TBmpBtn::sizeHint() const
{
    const QPixmap &normal = PictureNormal();
    return normal.isNull() ? QWidget::sizeHint() : normal.deviceIndependentSize().toSize();
}

void TBmpBtn::fitToPicture()
{
    const QPixmap &normal = PictureNormal();
    if (!normal.isNull())
        resize(normal.deviceIndependentSize().toSize());
}

void TBmpBtn::Show(Picture picture)
{
    m_shown = picture;
    update();
}

const QPixmap &TBmpBtn::ShownPixmap() const
{
    return picture(m_shown);
}

void TBmpBtn::UpdateLook()
{
    if (!isEnabled())
        Show(Picture::Disable);
    else
        Show(m_pressing ? Picture::Down : Picture::Normal);
}

bool TBmpBtn::MousePressed()
{
    m_pressing = true;
    UpdateLook();
    return true;
}

void TBmpBtn::MouseReleased()
{
    m_pressing = false;
    UpdateLook();
}

void TBmpBtn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap &picture = ShownPixmap();
    if (!picture.isNull())
        p.drawPixmap(0, 0, picture);
}

void TBmpBtn::mousePressEvent(QMouseEvent *event)
{
    // Only the left button presses a button; the others pass to the window below.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    press(event->modifiers(), event->position().toPoint());
}

void TBmpBtn::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    release(event->modifiers(), event->position().toPoint());
}

void TBmpBtn::press(Qt::KeyboardModifiers modifiers, QPoint pos)
{
    const bool passOn = MousePressed();
    // The pressed look is on the screen before any handler runs. No event pumping here: on X11 a
    // release already queued behind this press was lost now and then, and the button never clicked.
    repaint();
    if (passOn)
        Q_EMIT mouseDown(Qt::LeftButton, modifiers, pos);
}

void TBmpBtn::release(Qt::KeyboardModifiers modifiers, QPoint pos)
{
    MouseReleased();
    Q_EMIT mouseUp(Qt::LeftButton, modifiers, pos);
    if (rect().contains(pos))
        Q_EMIT clicked();
}

void TBmpBtn::Click()
{
    if (!isEnabled() || !isVisible())
        return;
    const QPointer<TBmpBtn> self(this);
    const QPoint middle = rect().center();
    press(Qt::NoModifier, middle);
    // A mouse-down handler that disabled or deleted the button: the mouse's release would not
    // reach it either.
    if (!self || !isEnabled())
        return;
    release(Qt::NoModifier, middle);
}

void TBmpBtn::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_pressing = false;
        UpdateLook();
    }
}
