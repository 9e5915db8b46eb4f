#pragma once

#include "platform/CaptureDevice.h"

#include <QCameraDevice>
#include <QCameraFormat>
#include <QHash>
#include <QVideoFrame>

#include <memory>

class QCamera;
class QMediaCaptureSession;
class QVideoSink;
class V4l2Node;

// The cameras of Qt Multimedia, with their picture controls through the V4L2 device node.
class QtCaptureDevice : public CaptureDevice
{
    Q_OBJECT

public:
    explicit QtCaptureDevice(QObject *parent = nullptr);
    ~QtCaptureDevice() override;

    QList<CaptureDriver> Drivers() override;
    bool Open(int index) override;
    void Close() override;
    bool IsOpen() const override { return m_camera != nullptr; }

    void SetStreaming(bool on) override;
    bool IsStreaming() const override { return m_streaming; }
    Bitmap LatestFrame() const override;
    QSize ImageSize() const override;

    QList<CaptureFormat> Formats() const override;
    int CurrentFormat() const override;
    bool SetFormat(int index) override;

    QList<CaptureControl> Controls() const override;
    bool SetControl(quint32 id, int value) override;

private:
    void applyStreaming();
    void frameChanged(const QVideoFrame &frame);

    QList<QCameraDevice> m_devices;
    QCameraDevice m_device;
    // One format per size and pixel format, the fastest of each.
    QList<QCameraFormat> m_formats;
    QCameraFormat m_format;
    // The format chosen for each camera, kept for the run like a driver keeps its settings.
    QHash<QByteArray, QCameraFormat> m_chosen;

    std::unique_ptr<QMediaCaptureSession> m_session;
    std::unique_ptr<QVideoSink> m_sink;
    std::unique_ptr<QCamera> m_camera;
    std::unique_ptr<V4l2Node> m_node;

    bool m_streaming = false;
    bool m_applyPending = false;
    QVideoFrame m_frame;
    mutable Bitmap m_converted;
    mutable bool m_convertedCurrent = false;
};
