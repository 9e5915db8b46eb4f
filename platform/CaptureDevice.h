#pragma once

#include "common/Bitmap.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

#include <utility>

// A camera the platform lists.
struct CaptureDriver
{
    QString description;
    QString version;
    friend bool operator==(const CaptureDriver &, const CaptureDriver &) = default;
};

// One format a camera can deliver.
struct CaptureFormat
{
    QSize size;
    QString pixelFormat; // "YUYV", "MJPG", ...
    friend bool operator==(const CaptureFormat &, const CaptureFormat &) = default;
};

// One of a camera's picture controls (brightness, contrast, white balance, ...).
struct CaptureControl
{
    enum class Kind { Integer, Boolean, Menu };

    quint32 id = 0;
    QString name;
    Kind kind = Kind::Integer;
    int minimum = 0;
    int maximum = 0;
    int step = 1;
    int defaultValue = 0;
    int value = 0;
    QList<std::pair<int, QString>> menu; // the values of a menu and their names
    bool enabled = true; // false while another control rules this one (manual exposure under auto)
    friend bool operator==(const CaptureControl &, const CaptureControl &) = default;
};

// The platform's cameras. One camera is open at a time; while it streams, every frame it delivers
// is announced by frameArrived and can be had as a bitmap until the next one comes. Showing frames,
// the preview rate and grabbing stills are the caller's (TCaptureBase's) business.
class CaptureDevice : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The cameras, the platform's default first.
    virtual QList<CaptureDriver> Drivers() = 0;
    // Opens the camera at index of Drivers(), closing any other; false when it cannot be opened. A
    // camera keeps the format last chosen for it during the run.
    virtual bool Open(int index) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    virtual void SetStreaming(bool on) = 0;
    virtual bool IsStreaming() const = 0;
    // The latest frame as a 24-bit bitmap; null before the first one.
    virtual Bitmap LatestFrame() const = 0;
    // The picture size of the current format; empty when no camera is open.
    virtual QSize ImageSize() const = 0;

    virtual QList<CaptureFormat> Formats() const = 0;
    // Index into Formats(), -1 when unknown.
    virtual int CurrentFormat() const = 0;
    // A streaming camera restarts its stream in the new format.
    virtual bool SetFormat(int index) = 0;

    // Read anew at every call: a change of one control may enable or disable another.
    virtual QList<CaptureControl> Controls() const = 0;
    virtual bool SetControl(quint32 id, int value) = 0;

Q_SIGNALS:
    void frameArrived();
};
