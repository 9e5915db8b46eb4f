#pragma once

// What the main window's model drives besides its own objects: the camera, the schedule of Auto
// mode, the send run and the dial-up connection (tests put fakes in their place). The send run and
// the dial-up connection have a stand-in for a machine or build that has none: a send run that
// reports failure, no dial-up connection.

// The camera operations of the main window's modes (CameraModel has them all).
class CameraControl
{
public:
    virtual ~CameraControl() = default;
    // When the window is made: false when there is no working camera (Camera and Auto mode then
    // stay disabled).
    virtual bool SetUpCamera() = 0;
    // The camera's part of entering Camera mode (the live view comes on through the switch) and
    // Auto mode (on at the slow preview rate); "カメラエラー。" when the view cannot be set.
    virtual void EnterCameraMode() = 0;
    virtual void EnterAutoMode() = 0;
    // Live view on or off; nothing without a camera.
    virtual void SwitchCamera(bool on) = 0;
    virtual bool CameraOn() const = 0;
    // The window closes: the camera is let go.
    virtual void ReleaseCapture() = 0;
};

// Scheduled capture as the rest of the window sees it.
class ScheduleControl
{
public:
    virtual ~ScheduleControl() = default;
    // The shot timer runs: the window is narrowed to the picture area.
    virtual bool Running() const = 0;
    // The rules of the Auto pane on entering Auto mode (the permanent connection setting).
    virtual void EnterAutoMode() = 0;
    // Next in Auto mode: asks and starts a schedule; false when declined or no recipient is given.
    virtual bool StartSchedule() = 0;
    // The Esc key while the Auto pane shows.
    virtual void EscapePressed() = 0;
};

// The send run of the last mail step: true when every message of the run was sent.
class SendRunner
{
public:
    virtual ~SendRunner() = default;
    virtual bool SendRun() = 0;
};

class NoSendRunner : public SendRunner
{
public:
    bool SendRun() override { return false; }
};

// The dial-up connection as the window's closing sees it.
class DialUpControl
{
public:
    virtual ~DialUpControl() = default;
    // Whether the computer uses dial-up at all (no permanent connection).
    virtual void SetInUse(bool inUse) = 0;
    // Reads the connection state anew.
    virtual void Refresh() = 0;
    virtual bool Connected() const = 0;
    virtual void HangUp() = 0;
};

class NoDialUp : public DialUpControl
{
public:
    void SetInUse(bool) override { }
    void Refresh() override { }
    bool Connected() const override { return false; }
    void HangUp() override { }
};
