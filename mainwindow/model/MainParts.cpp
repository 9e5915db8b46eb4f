#include "mainwindow/model/MainParts.h"

#include "common/Clock.h"
#include "mail/Delivery.h"
#include "mail/DialUp.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/PictureSender.h"
#include "mainwindow/model/ScheduleModel.h"
#include "platform/null/NullShell.h"
#include "platform/null/NullSoundPlayer.h"

namespace {

class ScheduleParts : public ScheduleControl
{
public:
    explicit ScheduleParts(ScheduleModel &schedule)
        : m_schedule(schedule)
    { }
    bool Running() const override { return m_schedule.IsRunning(); }
    void EnterAutoMode() override { m_schedule.EnterAutoMode(); }
    bool StartSchedule() override { return m_schedule.btnAutoStartClick(); }
    void EscapePressed() override { m_schedule.FormKeyPress(QChar(27)); }

private:
    ScheduleModel &m_schedule;
};

// Scheduled mails go through the send pipeline; without one they cannot go at all.
class DeliverySender : public PictureSender
{
public:
    explicit DeliverySender(Delivery *delivery)
        : m_delivery(delivery)
    { }
    bool SendPicture(const PictureMail &mail) override { return m_delivery && m_delivery->SendPicture(mail); }

private:
    Delivery *m_delivery;
};

class DeliveryRunner : public SendRunner
{
public:
    DeliveryRunner(Delivery &delivery, SendRunHost &host)
        : m_delivery(delivery)
        , m_host(host)
    { }
    bool SendRun() override { return m_delivery.SendRun(m_host); }

private:
    Delivery &m_delivery;
    SendRunHost &m_host;
};

class DialUpParts : public DialUpControl
{
public:
    explicit DialUpParts(TDialUp &dialUp)
        : m_dialUp(dialUp)
    { }
    void SetInUse(bool inUse) override { m_dialUp.DialUpInUse = inUse; }
    void Refresh() override { m_dialUp.Refresh(); }
    bool Connected() const override { return m_dialUp.Connected(); }
    void HangUp() override { m_dialUp.HangUp(); }

private:
    TDialUp &m_dialUp;
};

} // namespace

MainParts::MainParts(const MainPartsBase &base, const MainServices &services)
{
    Clock *clock = services.clock;
    if (!clock)
        clock = &SystemClock();
    SoundPlayer *sound = services.sound;
    if (!sound) {
        m_silence = std::make_unique<NullSoundPlayer>();
        sound = m_silence.get();
    }
    Shell *shell = services.shell;
    if (!shell) {
        m_noShell = std::make_unique<NullShell>();
        shell = m_noShell.get();
    }

    if (services.dialUp) {
        m_dialUp = std::make_unique<TDialUp>(*services.dialUp, *clock, services.dialUpChooser);
        m_dialUpSeam = std::make_unique<DialUpParts>(*m_dialUp);
    }
    if (services.clients && services.sendingWindow) {
        m_end = std::make_unique<EventLoopEnd>(base.saveAtEnd);
        m_delivery = std::make_unique<Delivery>(DeliveryParts {base.workFolder, base.settings,
                                                               *services.clients, *services.sendingWindow,
                                                               base.prompt, *clock, *m_end, m_dialUp.get()});
        m_sendRunnerSeam = std::make_unique<DeliveryRunner>(*m_delivery, base.sendRunHost);
    }
    m_pictureSender = std::make_unique<DeliverySender>(m_delivery.get());

    m_camera = std::make_unique<CameraModel>(base.workFolder, base.canvas, services.camera, *sound,
                                             base.shutterSound, base.selfSound, base.prompt, *clock,
                                             services.captureDialogs);
    m_schedule
        = std::make_unique<ScheduleModel>(base.workFolder, base.settings, base.history, base.canvas,
                                          *m_camera, *m_pictureSender, base.prompt, base.dialogs, *clock);
    m_scheduleSeam = std::make_unique<ScheduleParts>(*m_schedule);
    m_fileSource = std::make_unique<FileSourceModel>(
        base.workFolder, base.folders, *shell, base.canvas, base.prompt,
        FileSourceWindows {&base.dialogs, services.thumbnails, services.media, services.browser},
        base.fileSourceHost);
}

MainParts::~MainParts() = default;
