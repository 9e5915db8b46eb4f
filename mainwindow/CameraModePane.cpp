#include "mainwindow/CameraModePane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/LabeledBmpBtn.h"

CameraModePane::CameraModePane(MainModel &model, QWidget *parent)
    : Pane("pnlCameraMode", parent)
    , m_model(model)
{
    btnCameraSwitch
        = MakeMainButton(this, "btnCameraSwitch", QRect(8, 8, 226, 28), QStringLiteral("カメラ 　［切］"));
    btnCameraSwitch->SetLabelHilite(QStringLiteral("カメラ 　［入］"));
    btnCameraSwitch->SetHold(true);
    btnShutter = MakeMainButton(this, "btnShutter", QRect(8, 44, 226, 100), QStringLiteral("\\n撮影"),
                                MainArtwork::Glyph::Shutter, QRect(83, 4, 60, 48));
    btnSelfTimer = MakeMainButton(this, "btnSelfTimer", QRect(8, 152, 226, 28),
                                  QStringLiteral("セルフタイマー　［切］"));
    btnSelfTimer->SetLabelHilite(QStringLiteral("セルフタイマー　［入］"));
    btnSelfTimer->SetHold(true);
    btnResizeByHeightCamera = MakeMainButton(this, "btnResizeByHeightCamera", QRect(8, 188, 109, 36),
                                             QStringLiteral("高さを\\n合わせる"));
    btnResizeByWidthCamera = MakeMainButton(this, "btnResizeByWidthCamera", QRect(125, 188, 109, 36),
                                            QStringLiteral("幅を\\n合わせる"));
    for (TLabeledBmpBtn *b : {btnResizeByHeightCamera, btnResizeByWidthCamera})
        b->SetHold(true), b->SetHoldingKeep(true);
    btnResizeByWidthCamera->SetHolding(true);
    // The camera is off until the live view is switched on.
    for (TLabeledBmpBtn *b : {btnShutter, btnSelfTimer, btnResizeByHeightCamera, btnResizeByWidthCamera})
        b->SetEnabled(false);
    for (TLabeledBmpBtn *b :
         {btnCameraSwitch, btnShutter, btnSelfTimer, btnResizeByHeightCamera, btnResizeByWidthCamera})
        connect(b, &TBmpBtn::mouseDown, &model, &MainModel::PanelClick);
    connect(this, &TFlatPanel::clicked, &model, &MainModel::PanelClick);
}
