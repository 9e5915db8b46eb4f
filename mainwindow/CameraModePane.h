#pragma once

#include "mainwindow/PaneKit.h"

class MainModel;
class TLabeledBmpBtn;

// pnlCameraMode: the live view switch, the shutter with its self-timer, and the two ways the live
// view fits the frame.
class CameraModePane : public Pane
{
    Q_OBJECT
public:
    CameraModePane(MainModel &model, QWidget *parent);

private:
    MainModel &m_model;
    TLabeledBmpBtn *btnCameraSwitch = nullptr;
    TLabeledBmpBtn *btnShutter = nullptr;
    TLabeledBmpBtn *btnSelfTimer = nullptr;
    TLabeledBmpBtn *btnResizeByHeightCamera = nullptr;
    TLabeledBmpBtn *btnResizeByWidthCamera = nullptr;
};
