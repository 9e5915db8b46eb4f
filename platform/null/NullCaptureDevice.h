#pragma once

#include "platform/CaptureDevice.h"

// No camera: lists none and opens none.
class NullCaptureDevice : public CaptureDevice
{
    Q_OBJECT

public:
    using CaptureDevice::CaptureDevice;

    QList<CaptureDriver> Drivers() override { return {}; }
    bool Open(int) override { return false; }
    void Close() override { }
    bool IsOpen() const override { return false; }
    void SetStreaming(bool) override { }
    bool IsStreaming() const override { return false; }
    Bitmap LatestFrame() const override { return Bitmap(); }
    QSize ImageSize() const override { return QSize(); }
    QList<CaptureFormat> Formats() const override { return {}; }
    int CurrentFormat() const override { return -1; }
    bool SetFormat(int) override { return false; }
    QList<CaptureControl> Controls() const override { return {}; }
    bool SetControl(quint32, int) override { return false; }
};
