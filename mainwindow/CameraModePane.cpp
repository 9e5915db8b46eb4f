#include "mainwindow/CameraModePane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLabel>

namespace {

QLabel *countdownDigit(QWidget *parent, const char *name, const QColor &color, QPoint offset)
{
    auto *label = new QLabel(QStringLiteral("3"), parent);
    label->setObjectName(QLatin1String(name));
    QFont font = label->font();
    font.setPixelSize(85);
    font.setBold(true);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->setAlignment(Qt::AlignCenter);
    // Over the shutter button's picture, not in the way of its clicks (the window ignores them then).
    label->setGeometry(QRect(QPoint(8, 44) + offset, QSize(226, 100)));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->hide();
    return label;
}

} // namespace

CameraModePane::CameraModePane(MainModel &model, QWidget *parent)
    : Pane("pnlCameraMode", model, parent)
    , m_camera(model.CameraPart())
{
    btnCameraSwitch
        = MakeMainButton(this, "btnCameraSwitch", QRect(8, 8, 226, 28), QStringLiteral("カメラ 　［切］"));
    btnCameraSwitch->SetLabelHilite(QStringLiteral("カメラ 　［入］"));
    btnShutter = MakeMainButton(this, "btnShutter", QRect(8, 44, 226, 100), QStringLiteral("\\n撮影"),
                                MainArtwork::Glyph::Shutter, QRect(83, 4, 60, 48));
    btnSelfTimer = MakeMainButton(this, "btnSelfTimer", QRect(8, 152, 226, 28),
                                  QStringLiteral("セルフタイマー　［切］"));
    btnSelfTimer->SetLabelHilite(QStringLiteral("セルフタイマー　［入］"));
    btnResizeByHeightCamera = MakeMainButton(this, "btnResizeByHeightCamera", QRect(8, 188, 109, 36),
                                             QStringLiteral("高さを\\n合わせる"));
    btnResizeByWidthCamera = MakeMainButton(this, "btnResizeByWidthCamera", QRect(125, 188, 109, 36),
                                            QStringLiteral("幅を\\n合わせる"));
    // Their held looks show the camera's state, which only the program changes.
    for (TLabeledBmpBtn *b : {btnCameraSwitch, btnSelfTimer, btnResizeByHeightCamera, btnResizeByWidthCamera})
        b->SetHold(true), b->SetHoldingKeep(true);
    lbSelfTimerCountShadow
        = countdownDigit(this, "lbSelfTimerCountShadow", QColor(191, 160, 56), QPoint(4, 4));
    lbSelfTimerCount = countdownDigit(this, "lbSelfTimerCount", QColor(255, 224, 120), QPoint(0, 0));

    CameraModel &c = m_camera;
    const auto on = [this](TLabeledBmpBtn *b, void (CameraModel::*handler)(), bool atPress) {
        OnButton(
            b,
            [this, camera = &m_camera, handler] {
                (camera->*handler)();
                Refresh();
            },
            atPress);
    };
    on(btnCameraSwitch, &CameraModel::btnCameraSwitchMouseDown, true);
    on(btnShutter, &CameraModel::btnShutterClick, false);
    on(btnSelfTimer, &CameraModel::btnSelfTimerMouseDown, true);
    on(btnResizeByHeightCamera, &CameraModel::btnResizeByHeightCameraMouseDown, true);
    on(btnResizeByWidthCamera, &CameraModel::btnResizeByWidthCameraMouseDown, true);
    connect(&c, &CameraModel::stateChanged, this, &CameraModePane::Refresh);
    connect(&c, &CameraModel::countdownChanged, this, &CameraModePane::RefreshCountdown);
    Refresh();
}

void CameraModePane::Refresh()
{
    // A press holds a button at once; the model decides what stays held.
    btnCameraSwitch->SetHolding(m_camera.CameraSwitchHeld());
    btnSelfTimer->SetHolding(m_camera.SelfTimerHeld());
    btnResizeByHeightCamera->SetHolding(m_camera.FitHeightHeld());
    btnResizeByWidthCamera->SetHolding(m_camera.FitWidthHeld());
    const bool enabled = m_camera.CameraButtonsEnabled();
    for (TLabeledBmpBtn *b : {btnShutter, btnSelfTimer, btnResizeByHeightCamera, btnResizeByWidthCamera})
        b->SetEnabled(enabled);
    btnCameraSwitch->SetEnabled(m_camera.HasCapture());
    RefreshCountdown();
}

void CameraModePane::RefreshCountdown()
{
    const bool shown = m_camera.CountdownShown();
    for (QLabel *label : {lbSelfTimerCountShadow, lbSelfTimerCount}) {
        label->setText(m_camera.CountdownText());
        label->setVisible(shown);
        label->raise();
    }
    // Painted now: the countdown waits in a loop of its own.
    lbSelfTimerCount->repaint();
}
