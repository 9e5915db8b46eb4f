#pragma once

#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/MainSeams.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

class CameraModel;
class CaptureDevice;
class CaptureDialogs;
class Clock;
class Delivery;
class DialUpChooser;
class DialUpService;
class FolderBrowser;
class FolderHistory;
class MainDialogs;
class MediaSearch;
class PictureSender;
class ProgramEnd;
class Prompt;
class ScheduleModel;
class SendRunHost;
class SendingWindow;
class Shell;
class SoundPlayer;
class TAddressBook;
class TDialUp;
class PictureCanvas;
class ThumbnailPicker;
class TUserData;
struct MailClients;

// The services and windows the parts of the main window work with. Each may be left out: the part
// that needs it then does without (no camera, no sending, no file manager).
struct MainServices
{
    Shell *shell = nullptr;
    SoundPlayer *sound = nullptr;
    CaptureDevice *camera = nullptr;
    CaptureDialogs *captureDialogs = nullptr;
    Clock *clock = nullptr; // the system's when left out; every timer and wait of the parts
    ThumbnailPicker *thumbnails = nullptr;
    MediaSearch *media = nullptr;
    FolderBrowser *browser = nullptr;
    // The send run needs both; the dial-up connection the service.
    MailClients *clients = nullptr;
    SendingWindow *sendingWindow = nullptr;
    DialUpService *dialUp = nullptr;
    DialUpChooser *dialUpChooser = nullptr;
};

// What the parts are made over: the main window model's own objects and what it is told back.
struct MainPartsBase
{
    QString workFolder;
    TUserData &settings;
    Prompt &prompt;
    MainDialogs &dialogs;
    PictureCanvas &canvas;
    TAddressBook &history;
    FolderHistory &folders;
    const QByteArray &shutterSound;
    const QByteArray &selfSound;
    SendRunHost &sendRunHost;
    FileSourceHost fileSourceHost;
    // The watchdog's end of the program: saves what closing saves.
    std::function<void()> saveAtEnd;
};

// The parts the main window's model drives, made from the services: the camera, the schedule of Auto
// mode, the file source, the dial-up connection and the send run, each also seen through the
// model's seam for it. A part whose services are missing is absent (the dial-up connection, the send
// run) or does without them (silence, no desktop, no camera).
class MainParts
{
public:
    MainParts(const MainPartsBase &base, const MainServices &services);
    ~MainParts();
    MainParts(const MainParts &) = delete;
    MainParts &operator=(const MainParts &) = delete;

    CameraModel &Camera() const { return *m_camera; }
    ScheduleModel &Schedule() const { return *m_schedule; }
    FileSourceModel &FileSource() const { return *m_fileSource; }
    // None without the clients and the sending window.
    Delivery *DeliveryPart() const { return m_delivery.get(); }
    // None without the dial-up service.
    TDialUp *DialUp() const { return m_dialUp.get(); }

    // The seams' views of the parts.
    ScheduleControl &ScheduleSeam() const { return *m_scheduleSeam; }
    // None without the send run, the dial-up connection.
    SendRunner *SendRunnerSeam() const { return m_sendRunnerSeam.get(); }
    DialUpControl *DialUpSeam() const { return m_dialUpSeam.get(); }

private:
    // In the order the model held them: the send run goes first, the sounds last.
    std::unique_ptr<SoundPlayer> m_silence;
    std::unique_ptr<Shell> m_noShell;
    std::unique_ptr<CameraModel> m_camera;
    std::unique_ptr<PictureSender> m_pictureSender;
    std::unique_ptr<ScheduleModel> m_schedule;
    std::unique_ptr<ScheduleControl> m_scheduleSeam;
    std::unique_ptr<FileSourceModel> m_fileSource;
    std::unique_ptr<TDialUp> m_dialUp;
    std::unique_ptr<DialUpControl> m_dialUpSeam;
    std::unique_ptr<ProgramEnd> m_end;
    std::unique_ptr<Delivery> m_delivery;
    std::unique_ptr<SendRunner> m_sendRunnerSeam;
};
