#pragma once

#include "mainwindow/PaneKit.h"

class CameraModel;
class MainModel;
class QLabel;
class TLabeledBmpBtn;

// pnlCameraMode: the live view switch, the shutter with its self-timer and countdown, and the two
// ways the live view fits the frame.
class CameraModePane : public Pane
{
    Q_OBJECT
public:
    CameraModePane(MainModel &model, QWidget *parent);

private:
    void Refresh();
    void RefreshCountdown();

    CameraModel &m_camera;
    TLabeledBmpBtn *btnCameraSwitch = nullptr;
    TLabeledBmpBtn *btnShutter = nullptr;
    TLabeledBmpBtn *btnSelfTimer = nullptr;
    TLabeledBmpBtn *btnResizeByHeightCamera = nullptr;
    TLabeledBmpBtn *btnResizeByWidthCamera = nullptr;
    QLabel *lbSelfTimerCountShadow = nullptr;
    QLabel *lbSelfTimerCount = nullptr;
};
