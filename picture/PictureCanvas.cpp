#include "picture/PictureCanvas.h"

#include "picture/BmpFile.h"
#include "picture/PictureFile.h"
#include "picture/Resample.h"

#include <QDir>
#include <QScopeGuard>

#include <algorithm>

namespace {

// Beyond the reach of any placement a picture of at most MaxPictureSide pixels can get; keeps the
// stored geometry in int whatever a caller asks for.
constexpr qint64 kGeometryLimit = qint64(1) << 30;

// The whole stretched picture is kept for redrawing up to this many pixels (12 MB).
constexpr qint64 kStretchCacheLimit = qint64(4) << 20;

int bounded(qint64 v)
{
    return int(std::clamp(v, -kGeometryLimit, kGeometryLimit));
}

bool usable(const Bitmap &picture)
{
    return !picture.isNull() && picture.width() <= PictureCanvas::MaxPictureSide
        && picture.height() <= PictureCanvas::MaxPictureSide;
}

// A drop entirely outside the frame view along one axis brings the picture back: a picture smaller
// than the frame to the edge it left by, a larger one with its far edge to the frame's far edge.
int snapBack(int position, int size, int frame)
{
    const qint64 end = qint64(position) + size;
    if (frame > size) {
        if (end < 0)
            position = 0;
        if (position > frame)
            position = frame - size;
    } else {
        if (end < 0)
            position = frame - size;
        if (position > frame)
            position = 0;
    }
    return position;
}

} // namespace

PictureCanvas::PictureCanvas(QString workFolder, CanvasDialogs dialogs, QObject *parent)
    : QObject(parent)
    , m_workFolder(std::move(workFolder))
    , m_dialogs(std::move(dialogs))
{
    LayoutFrame(AreaWidth, AreaHeight);
}

// ---- Frame view

void PictureCanvas::LayoutFrame(int width, int height)
{
    const qint64 w = std::max(1, width);
    const qint64 h = std::max(1, height);
    const qint64 aspect = w * 100 / h;
    int fw = AreaWidth;
    int fh = AreaHeight;
    int left = AreaMargin;
    int top = AreaMargin;
    if (aspect > 75) {
        fh = int(std::max<qint64>(1, h * AreaWidth / w));
        top = AreaMargin + (AreaHeight - fh) / 2;
    } else if (aspect < 75) {
        fw = int(std::max<qint64>(1, w * AreaHeight / h));
        left = AreaMargin + (AreaWidth - fw) / 2;
    }
    m_frameWidth = fw;
    m_frameHeight = fh;
    m_baseRect = QRect(left, top, fw + 2, fh + 2);
    Q_EMIT frameChanged();
}

void PictureCanvas::PlaceCameraHost(QSize size)
{
    m_cameraHostSize = size;
    Q_EMIT frameChanged();
}

QRect PictureCanvas::CameraHostRect() const
{
    return QRect((m_frameWidth - m_cameraHostSize.width()) / 2,
                 (m_frameHeight - m_cameraHostSize.height()) / 2, m_cameraHostSize.width(),
                 m_cameraHostSize.height());
}

void PictureCanvas::SetCameraHostShown(bool shown)
{
    m_cameraHostShown = shown;
    Q_EMIT visibilityChanged();
}

void PictureCanvas::SetEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        m_dragging = false;
    Q_EMIT visibilityChanged();
}

// ---- Source picture

std::optional<Bitmap> PictureCanvas::readPicture(const QString &path) const
{
    if (path.isEmpty())
        return std::nullopt;
    std::optional<Bitmap> picture = path.endsWith(QLatin1String(".bmp"), Qt::CaseSensitive)
        ? LoadBmpFile(path)
        : ReadPictureFile(path);
    if (!picture || !usable(*picture))
        return std::nullopt;
    return picture;
}

void PictureCanvas::adoptPicture(const Bitmap &picture)
{
    m_picture = picture;
    m_stretched = Bitmap();
    m_pictureShown = true;
    m_cameraHostShown = false;
    Q_EMIT pictureChanged();
    Q_EMIT visibilityChanged();
}

bool PictureCanvas::LoadPicture(const QString &path)
{
    const std::optional<Bitmap> picture = readPicture(path);
    return picture && SetPicture(*picture);
}

bool PictureCanvas::SetPicture(const Bitmap &picture)
{
    if (!usable(picture))
        return false;
    adoptPicture(picture);
    const qint64 height = qint64(picture.height()) * AreaWidth / picture.width();
    setPlacement(0, (AreaHeight - height) / 2, AreaWidth, height);
    return true;
}

bool PictureCanvas::LoadCameraPicture(const QString &path)
{
    const std::optional<Bitmap> picture = readPicture(path);
    if (!picture)
        return false;
    adoptPicture(*picture);
    SetPlacement(CameraHostRect());
    return true;
}

void PictureCanvas::SetPictureShown(bool shown)
{
    m_pictureShown = shown;
    Q_EMIT visibilityChanged();
}

// ---- Placement

void PictureCanvas::setPlacement(qint64 left, qint64 top, qint64 width, qint64 height)
{
    const int l = bounded(left), t = bounded(top), w = bounded(width), h = bounded(height);
    if (l == m_left && t == m_top && w == m_width && h == m_height)
        return;
    if (w != m_width || h != m_height)
        m_stretched = Bitmap();
    m_left = l;
    m_top = t;
    m_width = w;
    m_height = h;
    Q_EMIT placementChanged();
}

void PictureCanvas::SetPlacement(const QRect &placement)
{
    setPlacement(placement.x(), placement.y(), placement.width(), placement.height());
}

int PictureCanvas::ZoomLevel() const
{
    if (!HasPicture())
        return 0;
    return int(qint64(m_width) * m_settings.PictureWidth() * 100
               / (qint64(m_frameWidth) * m_picture.width()));
}

int PictureCanvas::VerticalZoomLevel() const
{
    if (!HasPicture())
        return 0;
    return int(qint64(m_height) * m_settings.PictureHeight() * 100
               / (qint64(m_frameHeight) * m_picture.height()));
}

bool PictureCanvas::ZoomPicture(int step)
{
    m_zoomRefused = true;
    if (step == 0 || !HasPicture())
        return false;
    const qint64 pw = m_picture.width(), ph = m_picture.height();
    const qint64 tw = m_settings.PictureWidth(), th = m_settings.PictureHeight();
    const qint64 fw = m_frameWidth, fh = m_frameHeight;

    qint64 d = pw * step / 100;
    if (d == 0)
        d = step > 0 ? 1 : -1;
    qint64 w = m_width + d;
    qint64 h = w * ph / pw;
    // Never below a tenth of the target in frame-view pixels.
    if (w < tw / 10 || h < th / 10)
        return false;
    if (w * tw * 100 / (fw * pw) >= 300 || h * th * 100 / (fh * ph) >= 300) {
        w = fw * pw * 3 / tw;
        h = fh * ph * 3 / th;
        if (w == m_width)
            return false;
    }
    qint64 left = m_left + (m_width - w) / 2;
    qint64 top = m_top + (m_height - h) / 2;
    // A picture zoomed away from the frame view comes back to its middle.
    if (left + w < 0 || left > fw)
        left = (fw - w) / 2;
    if (top + h < 0 || top > fh)
        top = (fh - h) / 2;
    setPlacement(left, top, w, h);
    m_zoomRefused = false;
    return true;
}

void PictureCanvas::ResizeByHeight()
{
    if (!HasPicture())
        return;
    const qint64 w = qint64(m_frameHeight) * m_picture.width() / m_picture.height();
    setPlacement((m_frameWidth - w) / 2, 0, w, m_frameHeight);
}

void PictureCanvas::ResizeByWidth()
{
    if (!HasPicture())
        return;
    const qint64 h = qint64(m_frameWidth) * m_picture.height() / m_picture.width();
    setPlacement(0, (m_frameHeight - h) / 2, m_frameWidth, h);
}

void PictureCanvas::FitLeft()
{
    if (HasPicture())
        setPlacement(0, m_top, m_width, m_height);
}

void PictureCanvas::FitTop()
{
    if (HasPicture())
        setPlacement(m_left, 0, m_width, m_height);
}

void PictureCanvas::FitRight()
{
    if (HasPicture())
        setPlacement(qint64(m_frameWidth) - m_width, m_top, m_width, m_height);
}

void PictureCanvas::FitBottom()
{
    if (HasPicture())
        setPlacement(m_left, qint64(m_frameHeight) - m_height, m_width, m_height);
}

void PictureCanvas::Centering()
{
    if (HasPicture())
        setPlacement((qint64(m_frameWidth) - m_width) / 2, (qint64(m_frameHeight) - m_height) / 2, m_width,
                     m_height);
}

void PictureCanvas::RotatePicture(int angle)
{
    if (!HasPicture())
        return;
    Bitmap turned;
    {
        Q_EMIT busyChanged(true);
        const auto idle = qScopeGuard([this] { Q_EMIT busyChanged(false); });
        turned = RotateBitmap(m_picture, angle);
    }
    // Out of memory: the picture stays as it was.
    if (turned.isNull())
        return;
    m_picture = turned;
    m_stretched = Bitmap();
    Q_EMIT pictureChanged();
    const qint64 l = m_left, t = m_top, w = m_width, h = m_height;
    if (angle < 0)
        setPlacement(t - 40, 280 - l - w, h, w);
    else
        setPlacement(280 - t - h, l + 40, h, w);
}

// ---- Pointer and keys

void PictureCanvas::PictureMouseDown(QPoint point, bool alt)
{
    if (!m_enabled || !HasPicture())
        return;
    if (!alt) {
        m_dragging = true;
        m_dragOrigin = point;
        return;
    }
    // The eyedropper: the point on the placement maps back onto the source picture.
    if (m_width <= 0 || m_height <= 0)
        return;
    const qint64 pw = m_picture.width(), ph = m_picture.height();
    const int x = int(std::clamp<qint64>(pw * point.x() / m_width, 0, pw - 1));
    const int y = int(std::clamp<qint64>(ph * point.y() / m_height, 0, ph - 1));
    SetBackgroundColor(m_picture.pixel(x, y));
}

void PictureCanvas::PictureMouseMove(QPoint point, bool alt)
{
    if (!m_enabled)
        return;
    if (m_dragging) {
        // The point is on the placement as it is now, so the grabbed point stays under the pointer.
        setPlacement(qint64(m_left) + point.x() - m_dragOrigin.x(),
                     qint64(m_top) + point.y() - m_dragOrigin.y(), m_width, m_height);
        return;
    }
    const Cursor cursor = alt ? Cursor::HandPoint : Cursor::Default;
    if (cursor != m_cursor) {
        m_cursor = cursor;
        Q_EMIT cursorChanged();
    }
}

void PictureCanvas::PictureMouseUp()
{
    if (!m_enabled)
        return;
    m_dragging = false;
    if (!HasPicture())
        return;
    setPlacement(snapBack(m_left, m_width, m_frameWidth), snapBack(m_top, m_height, m_frameHeight), m_width,
                 m_height);
}

bool PictureCanvas::MouseWheel(QPoint point, int delta)
{
    if (!m_pictureShown || !m_enabled || point.x() < 0 || point.x() > m_frameWidth || point.y() < 0
        || point.y() > m_frameHeight)
        return false;
    ZoomPicture(delta < 0 ? -1 : 1);
    return true;
}

bool PictureCanvas::KeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        ZoomPicture(key == Qt::Key_PageUp ? 1 : -1);
        return true;
    }
    if (!modifiers.testFlag(Qt::KeypadModifier))
        return false;
    int dx = 0, dy = 0;
    switch (key) {
    case Qt::Key_8:
        dy = -1;
        break;
    case Qt::Key_2:
        dy = 1;
        break;
    case Qt::Key_4:
        dx = -1;
        break;
    case Qt::Key_6:
        dx = 1;
        break;
    default:
        return false;
    }
    if (HasPicture())
        setPlacement(qint64(m_left) + dx, qint64(m_top) + dy, m_width, m_height);
    return true;
}

// ---- Background colour

void PictureCanvas::SetBackgroundColor(Rgb color)
{
    m_background = color;
    Q_EMIT backgroundChanged();
}

void PictureCanvas::ChooseBackgroundColor()
{
    if (!m_dialogs.PickColor)
        return;
    if (const std::optional<Rgb> color = m_dialogs.PickColor(m_background))
        SetBackgroundColor(*color);
}

// ---- Picture parameters

void PictureCanvas::SizePresetChanged(bool fromList, bool ccListEmpty)
{
    m_settings.EnableUserSize(m_settings.SizePreset() == PictureSettings::UserSizePreset && ccListEmpty);
    static constexpr QSize presets[] = {{120, 120}, {132, 176}, {240, 320}};
    QSize size;
    switch (m_settings.SizePreset()) {
    case 0:
    case 1:
    case 2:
        size = presets[m_settings.SizePreset()];
        break;
    case PictureSettings::UserSizePreset:
        if (fromList)
            AskUserSize();
        size = QSize(m_settings.PictureWidth(), m_settings.PictureHeight());
        break;
    default:
        return; // nothing selected
    }
    m_settings.SetPictureSize(size.width(), size.height());
    LayoutFrame(size.width(), size.height());
    Q_EMIT focusRequested();
}

void PictureCanvas::AskUserSize()
{
    if (!m_dialogs.AskPictureSize)
        return;
    const std::optional<QSize> size
        = m_dialogs.AskPictureSize(m_settings.WidthText(), m_settings.HeightText());
    if (!size || size->width() < 120 || size->width() > 240 || size->height() < 120 || size->height() > 320)
        return;
    m_settings.SetPictureSize(size->width(), size->height());
    LayoutFrame(size->width(), size->height());
}

void PictureCanvas::QualityLevelChanged()
{
    Q_EMIT focusRequested();
}

// ---- Render

Bitmap PictureCanvas::ComposeFrame() const
{
    Bitmap frame(m_frameWidth, m_frameHeight);
    frame.fill(m_background);
    if (!HasPicture() || m_width <= 0 || m_height <= 0)
        return frame;

    // The visible part, in the stretched picture and in the frame.
    const qint64 l = m_left, t = m_top, fw = m_frameWidth, fh = m_frameHeight;
    const PixelRect source {int(l < 0 ? -l : 0), int(t < 0 ? -t : 0),
                            int(l + m_width > fw ? fw - l : m_width),
                            int(t + m_height > fh ? fh - t : m_height)};
    const QPoint to(int(l < 0 ? 0 : l), int(t < 0 ? 0 : t));
    if (source.width() <= 0 || source.height() <= 0)
        return frame;

    if (qint64(m_width) * m_height <= kStretchCacheLimit) {
        if (m_stretched.isNull())
            m_stretched = ResampleBitmap(m_picture, m_width, m_height, PixelRect {0, 0, m_width, m_height});
        if (m_stretched.isNull())
            return frame;
        for (int y = 0; y < source.height(); ++y) {
            const uchar *in = m_stretched.scanLine(source.top + y) + qsizetype(source.left) * 3;
            std::copy(in, in + qsizetype(source.width()) * 3,
                      frame.scanLine(to.y() + y) + qsizetype(to.x()) * 3);
        }
        return frame;
    }
    const Bitmap part = ResampleBitmap(m_picture, m_width, m_height, source);
    for (int y = 0; y < part.height(); ++y) {
        const uchar *in = part.scanLine(y);
        std::copy(in, in + part.bytesPerLine(), frame.scanLine(to.y() + y) + qsizetype(to.x()) * 3);
    }
    return frame;
}

QString PictureCanvas::TmpBmpPath() const
{
    return QDir(m_workFolder).filePath(QStringLiteral("tmp.bmp"));
}

QString PictureCanvas::TmpJpgPath() const
{
    return QDir(m_workFolder).filePath(QStringLiteral("tmp.jpg"));
}
