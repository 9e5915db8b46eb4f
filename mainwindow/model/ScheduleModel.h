#pragma once

#include "mail/AddressBook.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class CameraModel;
class Clock;
class ClockTimer;
class MainDialogs;
class PictureSender;
class Prompt;
class PictureCanvas;
class TUserData;

// Auto mode without its widgets: the panel's choices and rules, and the schedule that takes a
// picture every period, from a clock time or after a delay, and mails or only stores each one.
//
// The Auto panel shows the state read from here and forwards its events to the handlers. While a
// schedule runs the main window shows only its picture area (runningChanged) and the caption that
// captionChanged gives; when it ends the window refills its recipient lists (refillRecipientLists).
// The timer runs on the injected clock.
class ScheduleModel : public QObject
{
    Q_OBJECT

public:
    enum class StartMode { ClockTime, Delay };
    enum class Ending { Esc, Limit, SendFailure };

    static constexpr int MaxShots = 100;
    static constexpr int DefaultInterval = 4; // "１時間"
    static constexpr int DefaultSize = 2; // "240 x 320"
    static constexpr int DefaultQuality = 2; // "高"

    // The items of cbxInterval, cbxSizeAuto and cbxQualityAuto.
    static const QStringList &IntervalItems();
    static const QStringList &SizeItems();
    static const QStringList &QualityItems();
    // The period of an item of cbxInterval in milliseconds; 0 for no item.
    static int IntervalMs(int index);
    // Time to the first shot for the shown hour and minute: the time itself as a delay, or the time
    // to the next hour:minute:00 after now, today or tomorrow. Never 0: 0 becomes 5 seconds.
    static qint64 FirstDelayMs(StartMode mode, int hour, int minute, const QTime &now);
    // The window caption while a schedule runs: the title and the next shot's time.
    static QString RunningCaption(const QTime &next);
    // Capture only prepares the pictures by this carrier's rules.
    static QString StandByAddress();
    static constexpr char Subject[] = "タブリン－自動撮影";
    // A scheduled mail's body: the date in the locale's short format, a blank, the time "hh:mm:ss".
    static QString MailBody(const QDateTime &now, const QLocale &locale);

    ScheduleModel(QString workFolder, TUserData &settings, const TAddressBook &history, PictureCanvas &canvas,
                  CameraModel &camera, PictureSender &sender, Prompt &prompt, MainDialogs &dialogs,
                  Clock &clock, QObject *parent = nullptr);
    ~ScheduleModel() override;

    // ---- The panel

    // The Auto-specific rules of entering Auto mode: without a permanent connection only capturing
    // is possible (said once, capture only ticked and the recipient controls disabled).
    void EnterAutoMode();

    int Hour() const { return m_hour; }
    int Minute() const { return m_minute; }
    QString HourText() const { return QString::number(m_hour); }
    QString MinuteText() const { return QString::number(m_minute); }
    void btnHUpClick();
    void btnHDownClick();
    void btnMUpClick();
    void btnMDownClick();

    StartMode Mode() const { return m_mode; }
    bool StartTimeHeld() const { return m_mode == StartMode::ClockTime; }
    bool PassingTimeHeld() const { return m_mode == StartMode::Delay; }
    void btnStartTimeClick();
    void btnPassingTimeClick();

    int IntervalIndex() const { return m_interval; }
    void cbxIntervalChange(int index);
    int SizeIndex() const { return m_size; }
    // Lays the frame out for the size.
    void cbxSizeAutoChange(int index);
    int QualityIndex() const { return m_quality; }
    void cbxQualityAutoChange(int index);

    // The recipient shown in cbxNameAuto and cbxAddressAuto, and the history entry selected in both
    // (-1: none).
    QString ShownName() const { return m_shownName; }
    QString ShownAddress() const { return m_shownAddress; }
    int SelectedIndex() const { return m_selected; }
    // A history entry chosen in either list (index into the history).
    void cbxNameAutoChange(int index);
    void cbxAddressAutoChange(int index);
    // The entry picked in the address book dialog (btnAddressAuto).
    void RecipientFromAddressBook(const TMailAddress &entry);

    bool CaptureOnly() const { return m_captureOnly; }
    void chkNoSendMouseDown();
    void lbNoSendMouseDown();
    // chkNoSend, lbNoSend, cbxNameAuto, cbxAddressAuto and btnAddressAuto.
    bool RecipientControlsEnabled() const { return m_recipientControlsEnabled; }
    bool StartEnabled() const { return m_startEnabled; }

    // ---- The schedule

    // btnAutoStart: asks, checks the recipient, starts. True when a schedule started.
    bool btnAutoStartClick();
    // One shot; the timer's handler. Throws Exception when the still cannot be read or the render
    // fails: the shot ends there and the schedule goes on.
    void tmIntervalTimer();
    // A key typed in the main window: Esc asks whether to stop a running schedule.
    void FormKeyPress(QChar key);

    bool IsRunning() const { return m_running; }
    int ShotCount() const { return m_shots; }
    const std::optional<TMailAddress> &ScheduleRecipient() const { return m_recipient; }
    QString Caption() const { return m_caption; }
    // Milliseconds until the next shot, -1 when no schedule runs.
    int TimerInterval() const;

    // The date format of the mail body; the system's at start.
    void SetLocale(const QLocale &locale) { m_locale = locale; }

Q_SIGNALS:
    void panelChanged();
    void runningChanged(bool running);
    void captionChanged(const QString &caption);
    void refillRecipientLists();
    void scheduleEnded(ScheduleModel::Ending ending);

private:
    enum class Source { List, AddressBook };
    void chooseRecipient(const TMailAddress &entry, Source source, int index);
    void applyStartRule();
    void setCaption(const QString &caption);
    void end(Ending ending);

    QString m_workFolder;
    TUserData &m_settings;
    const TAddressBook &m_history;
    PictureCanvas &m_canvas;
    CameraModel &m_camera;
    PictureSender &m_sender;
    Prompt &m_prompt;
    MainDialogs &m_dialogs;
    Clock &m_clock;
    std::unique_ptr<ClockTimer> m_tmInterval;
    QLocale m_locale = QLocale::system();

    int m_hour = 0;
    int m_minute = 0;
    StartMode m_mode = StartMode::Delay;
    int m_interval = DefaultInterval;
    int m_size = DefaultSize;
    int m_quality = DefaultQuality;
    QString m_shownName;
    QString m_shownAddress;
    int m_selected = -1;
    std::optional<TMailAddress> m_chosen;
    bool m_captureOnly = false;
    bool m_recipientControlsEnabled = true;
    bool m_startEnabled = false;

    bool m_running = false;
    int m_shots = 0;
    std::optional<TMailAddress> m_recipient;
    QString m_caption;
};
