#include "mainwindow/model/ScheduleModel.h"

#include "common/ApplicationTitle.h"
#include "common/Clock.h"
#include "common/Exception.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "mail/Composition.h"
#include "mail/PictureRender.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/PictureSender.h"
#include "picture/PictureCanvas.h"

#include <QPointer>

namespace {

constexpr QSize kSizes[] = {{120, 120}, {132, 176}, {240, 320}};
constexpr int kPeriodsMs[] = {300000, 600000, 900000, 1800000, 3600000, 7200000, 14400000};

QString text(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

const QStringList &ScheduleModel::IntervalItems()
{
    static const QStringList items {text("　５分"), text("１０分"), text("１５分"), text("３０分"),
                                    text("１時間"), text("２時間"), text("４時間")};
    return items;
}

const QStringList &ScheduleModel::SizeItems()
{
    static const QStringList items {text("120 x 120"), text("132 x 176"), text("240 x 320")};
    return items;
}

const QStringList &ScheduleModel::QualityItems()
{
    static const QStringList items {text("低"), text("中"), text("高")};
    return items;
}

int ScheduleModel::IntervalMs(int index)
{
    return index >= 0 && index < int(std::size(kPeriodsMs)) ? kPeriodsMs[index] : 0;
}

qint64 ScheduleModel::FirstDelayMs(StartMode mode, int hour, int minute, const QTime &now)
{
    qint64 hours = hour, minutes = minute, seconds = 0;
    if (mode == StartMode::ClockTime) {
        hours = hour - now.hour();
        minutes = minute - now.minute();
        seconds = 0 - now.second();
        if (seconds < 0) {
            seconds += 60;
            --minutes;
        }
        if (minutes < 0) {
            minutes += 60;
            --hours;
        }
        if (hours < 0)
            hours += 24;
    }
    const qint64 ms = (hours * 3600 + minutes * 60 + seconds) * 1000;
    return ms == 0 ? 5000 : ms;
}

QString ScheduleModel::RunningCaption(const QTime &next)
{
    return ApplicationTitle() + QStringLiteral(" - Next:") + next.toString(QStringLiteral("hh:mm:ss"));
}

QString ScheduleModel::StandByAddress()
{
    return QStringLiteral("--------@docomo.ne.jp");
}

QString ScheduleModel::MailBody(const QDateTime &now, const QLocale &locale)
{
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + now.time().toString(QStringLiteral("hh:mm:ss"));
}

ScheduleModel::ScheduleModel(QString workFolder, TUserData &settings, const TAddressBook &history,
                             PictureCanvas &canvas, CameraModel &camera, PictureSender &sender,
                             Prompt &prompt, MainDialogs &dialogs, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_workFolder(std::move(workFolder))
    , m_settings(settings)
    , m_history(history)
    , m_canvas(canvas)
    , m_camera(camera)
    , m_sender(sender)
    , m_prompt(prompt)
    , m_dialogs(dialogs)
    , m_clock(clock)
    , m_tmInterval(clock.CreateTimer())
    , m_caption(ApplicationTitle())
{
    m_tmInterval->OnTimeout = [this] {
        tmIntervalTimer();
    };
}

ScheduleModel::~ScheduleModel()
{
    m_tmInterval->Stop();
}

// ---- The panel

void ScheduleModel::EnterAutoMode()
{
    if (!m_settings.Connect) {
        m_prompt.ShowMessageBox(text("常時接続でない場合は、撮影のみが可能です"), Msg::IconInformation,
                                Msg::ButtonsOk);
        m_captureOnly = true;
        m_recipientControlsEnabled = false;
    } else {
        m_recipientControlsEnabled = true;
    }
    applyStartRule();
}

void ScheduleModel::btnHUpClick()
{
    m_hour = m_hour >= 23 ? 0 : m_hour + 1;
    Q_EMIT panelChanged();
}

void ScheduleModel::btnHDownClick()
{
    m_hour = m_hour <= 0 ? 23 : m_hour - 1;
    Q_EMIT panelChanged();
}

void ScheduleModel::btnMUpClick()
{
    m_minute += 5;
    if (m_minute >= 60)
        m_minute = 0;
    Q_EMIT panelChanged();
}

void ScheduleModel::btnMDownClick()
{
    m_minute -= 5;
    if (m_minute < 0)
        m_minute = 55;
    Q_EMIT panelChanged();
}

void ScheduleModel::btnStartTimeClick()
{
    m_mode = StartMode::ClockTime;
    Q_EMIT panelChanged();
}

void ScheduleModel::btnPassingTimeClick()
{
    m_mode = StartMode::Delay;
    Q_EMIT panelChanged();
}

void ScheduleModel::cbxIntervalChange(int index)
{
    if (index < 0 || index >= IntervalItems().size())
        return;
    m_interval = index;
    Q_EMIT panelChanged();
}

void ScheduleModel::cbxSizeAutoChange(int index)
{
    if (index < 0 || index >= SizeItems().size())
        return;
    m_size = index;
    m_canvas.LayoutFrame(kSizes[index].width(), kSizes[index].height());
    Q_EMIT panelChanged();
}

void ScheduleModel::cbxQualityAutoChange(int index)
{
    if (index < 0 || index >= QualityItems().size())
        return;
    m_quality = index;
    Q_EMIT panelChanged();
}

void ScheduleModel::cbxNameAutoChange(int index)
{
    if (index >= 0 && index < m_history.Count())
        chooseRecipient(m_history.Get(index), Source::List, index);
}

void ScheduleModel::cbxAddressAutoChange(int index)
{
    cbxNameAutoChange(index);
}

void ScheduleModel::RecipientFromAddressBook(const TMailAddress &entry)
{
    chooseRecipient(entry, Source::AddressBook, -1);
}

void ScheduleModel::chooseRecipient(const TMailAddress &entry, Source source, int index)
{
    if (entry.ServerRoute) {
        m_prompt.ShowMessageBox(text("撮影予約モードでは、ＦＴＰサーバーを使用する宛先には送信できません。"),
                                Msg::IconExclamation, Msg::ButtonsOk);
        if (source == Source::List) {
            m_shownName.clear();
            m_shownAddress.clear();
            m_selected = -1;
        }
        Q_EMIT panelChanged();
        return;
    }
    m_chosen = entry;
    m_shownName = entry.Name;
    m_shownAddress = entry.Address;
    if (source == Source::List)
        m_selected = index;
    if (entry.SizePreset == 3) {
        m_prompt.ShowMessageBox(text("撮影予約モードでは、ユーザー設定による画像サイズは使用出来ません。"),
                                Msg::IconExclamation, Msg::ButtonsOk);
        m_size = 1;
    } else if (entry.SizePreset >= 0 && entry.SizePreset < SizeItems().size()) {
        m_size = entry.SizePreset;
    }
    if (entry.QualityLevel >= 0 && entry.QualityLevel < QualityItems().size())
        m_quality = entry.QualityLevel;
    m_canvas.LayoutFrame(kSizes[m_size].width(), kSizes[m_size].height());
    m_startEnabled = true;
    Q_EMIT panelChanged();
}

void ScheduleModel::chkNoSendMouseDown()
{
    if (!m_recipientControlsEnabled)
        return;
    m_captureOnly = !m_captureOnly;
    applyStartRule();
}

void ScheduleModel::lbNoSendMouseDown()
{
    chkNoSendMouseDown();
}

void ScheduleModel::applyStartRule()
{
    m_startEnabled = m_captureOnly || !m_shownAddress.isEmpty();
    Q_EMIT panelChanged();
}

// ---- The schedule

bool ScheduleModel::btnAutoStartClick()
{
    if (m_running)
        return false;
    if (m_prompt.ShowMessageBox(text("撮影予約を行いますか？"), Msg::IconQuestion, Msg::ButtonsYesNo)
        != Msg::Yes)
        return false;
    if (m_shownAddress.isEmpty() && !m_captureOnly) {
        m_prompt.ShowMessageBox(text("宛先を選択して下さい。"), Msg::IconExclamation, Msg::ButtonsOk);
        return false;
    }
    m_prompt.ShowMessageBox(text("撮影予約モードを終了させる場合は、ＥＳＣキーを押して下さい。"),
                            Msg::IconInformation, Msg::ButtonsOk);

    TMailAddress recipient;
    if (m_captureOnly) {
        recipient.Address = StandByAddress();
    } else if (m_chosen && !m_chosen->Address.isEmpty()) {
        recipient = *m_chosen;
    } else if (m_selected >= 0 && m_selected < m_history.Count()) {
        recipient = m_history.Get(m_selected);
    } else {
        recipient.Name = m_shownName;
        recipient.Address = m_shownAddress;
    }
    recipient.SizePreset = qint8(m_size);
    recipient.QualityLevel = qint8(m_quality);
    recipient.Width = kSizes[m_size].width();
    recipient.Height = kSizes[m_size].height();
    m_recipient = recipient;

    m_canvas.SetBackgroundColor(Rgb {255, 255, 255});
    const QDateTime now = m_clock.Now();
    const qint64 delay = FirstDelayMs(m_mode, m_hour, m_minute, now.time());

    m_shots = 0;
    m_camera.SwitchCamera(true);
    m_canvas.LayoutFrame(recipient.Width, recipient.Height);
    m_running = true;
    Q_EMIT runningChanged(true);
    setCaption(RunningCaption(now.time().addMSecs(int(delay))));
    m_tmInterval->Start(int(delay));
    return true;
}

void ScheduleModel::tmIntervalTimer()
{
    if (!m_running) {
        m_tmInterval->Stop();
        return;
    }
    const QPointer<ScheduleModel> alive(this);
    const int period = IntervalMs(m_interval);
    m_tmInterval->SetInterval(period);
    m_camera.PlayShutterSound();
    const QString still = m_camera.GrabToFile();
    // Stopped with Esc while the grab waited for the camera: no picture after that.
    if (!alive || !m_running)
        return;
    if (still.isEmpty() || !m_canvas.LoadCameraPicture(still))
        throw Exception(text("撮影した画像を読み込めません。"));
    const QTime next = m_clock.Now().time().addMSecs(period);

    RenderPicture(m_canvas, *m_recipient);
    const QDateTime shotTime = m_clock.Now();
    const QString name = ScheduledPictureName(shotTime);

    if (!m_captureOnly) {
        PictureMail mail;
        mail.FromName = m_settings.FromName;
        mail.FromAddress = m_settings.FromAddress;
        mail.PictureName = name;
        mail.ServerRoute = false;
        mail.UploadName = name;
        mail.Body = MailBody(m_clock.Now(), m_locale);
        mail.Subject = text(Subject);
        mail.RecipientName = m_shownName;
        mail.RecipientAddress = m_shownAddress;
        const bool sent = m_sender.SendPicture(mail);
        if (!alive)
            return;
        if (!sent) {
            end(Ending::SendFailure);
            return;
        }
    }
    KeepPicture(m_workFolder, QStringLiteral("Interval"), name);
    // The schedule may have been stopped while the mail went out; the picture is kept all the same.
    if (!m_running)
        return;
    setCaption(RunningCaption(next));
    if (++m_shots >= MaxShots)
        end(Ending::Limit);
}

void ScheduleModel::FormKeyPress(QChar key)
{
    if (key != QChar(27) || !m_running)
        return;
    if (m_prompt.ShowMessageBox(text("中止しますか？"), Msg::IconQuestion, Msg::ButtonsYesNo) == Msg::Yes)
        end(Ending::Esc);
}

void ScheduleModel::end(Ending ending)
{
    if (!m_running)
        return;
    if (ending == Ending::SendFailure)
        m_prompt.ShowMessageBox(text("送信時にエラーが発生したので中止します。"), Msg::IconError,
                                Msg::ButtonsOk);

    m_tmInterval->Stop();
    m_running = false;
    m_recipient.reset();
    Q_EMIT runningChanged(false);
    setCaption(ApplicationTitle());
    Q_EMIT refillRecipientLists();

    if (ending == Ending::Limit)
        m_prompt.ShowMessageBox(text("撮影上限枚数に達しました。撮影予約を終了します。"),
                                Msg::IconInformation, Msg::ButtonsOk);
    else if (ending == Ending::SendFailure)
        m_dialogs.HideSendingWindow();
    Q_EMIT scheduleEnded(ending);
}

void ScheduleModel::setCaption(const QString &caption)
{
    m_caption = caption;
    Q_EMIT captionChanged(caption);
}

int ScheduleModel::TimerInterval() const
{
    return m_running && m_tmInterval->IsActive() ? m_tmInterval->Interval() : -1;
}
