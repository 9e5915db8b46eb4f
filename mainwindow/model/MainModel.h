#pragma once

#include "mail/AddressBook.h"
#include "mail/Delivery.h"
#include "mainwindow/model/FolderHistory.h"
#include "mainwindow/model/MainParts.h"
#include "mainwindow/model/MainSeams.h"
#include "mainwindow/model/RecipientModel.h"
#include "picture/PictureCanvas.h"

#include <QByteArray>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CameraModel;
class FileSourceModel;
class MainDialogs;
class Prompt;
class ScheduleModel;
class TUserData;
struct MailClients;

// The main window without its widgets: the working mode, the picture and mail stages with their
// steps, the objects the window owns for the run (canvas, address book and history, folder history,
// the two sounds), and its life from construction to closing. The widgets show the state read from
// here and forward their events; every change is announced by stateChanged or by the signals of the
// owned objects.
class MainModel : public QObject, private SendRunHost
{
    Q_OBJECT

public:
    enum class Mode { File, Camera, Auto };
    // The pane shown in the mail stage.
    enum class StepPane { PictureConfig, SendTo, EditMail };

    static constexpr char kAddressBookFile[] = "Tavrin.ADX";
    static constexpr char kHistoryFile[] = "History.ADX";

    // The services and windows the parts of the window work with (see MainParts).
    using Services = MainServices;

    struct Context
    {
        QString workFolder; // with a trailing separator
        TUserData &settings;
        Prompt &prompt;
        MainDialogs &dialogs;
        // Lets the window repaint and pending events run (the waits of the program).
        std::function<void()> pump;
        Services services = {};
    };

    // Reads both sounds, the address book, the history and the folder history, and makes the
    // one-time settings change of version 2.0. Throws Exception when a sound file cannot be read or a
    // list file is broken.
    explicit MainModel(Context context, QObject *parent = nullptr);
    ~MainModel() override;

    // The parts the model drives: its own camera, schedule, send run and dial-up connection unless
    // replaced here (tests give fakes). A replacement must outlive the model; none: back to its own.
    void SetCamera(CameraControl *camera);
    void SetSchedule(ScheduleControl *schedule);
    void SetSendRunner(SendRunner *runner);
    void SetDialUp(DialUpControl *dialUp);
    CameraControl &Camera() const { return *m_camera; }
    ScheduleControl &Schedule() const { return *m_schedule; }

    // What the waits of the program run to let the window repaint and pending events run; the
    // context's at first.
    void SetPump(std::function<void()> pump) { m_pump = std::move(pump); }

    // ---- Life of the window

    // Once, right after construction: camera, buttons, drops, the server-route box, the SMTP port.
    void FormCreate();
    // Where the window goes when it is shown: the saved place, or centred when both are -1.
    QPoint WindowPosition(QSize screen, QSize window) const;
    // Every time the window becomes visible (after it has been placed): the first-run settings and,
    // the first time, the recipient lists.
    void FormShow();
    // Whether the window may close now (asks the user).
    bool FormCloseQuery();
    // The window closes at windowPos: saves everything and may hang up the dial-up connection.
    void FormClose(QPoint windowPos);

    // ---- Workflow

    void btnFileModeClick();
    void btnCameraModeClick();
    void btnAutoModeClick();
    // Next in the picture stage; also what a picture source does after loading a picture.
    void btnMailCreateClick();
    void btnFwdClick();
    void btnBackClick();
    void btnConfig1Click();
    // A click on a pane, a background or a label.
    void PanelClick();
    // The Esc key.
    void FormKeyPress(int key);
    void RefillRecipientLists() override;
    // btnAddressAuto: the Auto pane's recipient from the address book.
    void btnAddressAutoClick();

    // A picture source or the camera put a picture on the canvas: Next in the picture stage works
    // from now on.
    void PictureTaken();

    // ---- State

    Mode CurrentMode() const { return m_mode; }
    // True while the mail stage's command panel shows; the mail step is kept separately.
    bool MailStageShown() const { return m_mailStageShown; }
    unsigned MailStep() const { return m_mailStep; }
    StepPane CurrentStepPane() const { return m_stepPane; }
    bool ModeMarkerShown() const { return m_markerShown; }
    bool PictureBackShown() const { return m_pictureBackShown; }
    bool AcceptDrops() const { return m_acceptDrops; }
    bool MailCreateEnabled() const { return m_mailCreateEnabled; }
    bool CameraModesEnabled() const { return m_cameraModesEnabled; }
    bool OpenRecentEnabled() const { return m_openRecentEnabled; }
    bool OpenIntervalEnabled() const { return m_openIntervalEnabled; }
    bool WindowEnabled() const;
    // Where the window is now, for the saves of an end the window does not see coming.
    void SetWindowPos(QPoint pos) { m_windowPos = pos; }
    // The caption of the mail stage's Next button: "\n次へ" or "\n送信".
    QString FwdLabel() const;
    int SmtpPort() const { return m_smtpPort; }

    // ---- Owned objects

    const QString &WorkFolder() const { return m_workFolder; }
    TUserData &Settings() const { return m_settings; }
    PictureCanvas &Canvas() { return m_canvas; }
    TAddressBook &AddressBook() override { return m_addressBook; }
    TAddressBook &History() override { return m_history; }
    FolderHistory &Folders() { return m_folders; }
    RecipientModel &Recipient() { return m_recipient; }
    FileSourceModel &FileSource() { return m_parts->FileSource(); }
    CameraModel &CameraPart() { return m_parts->Camera(); }
    ScheduleModel &SchedulePart() { return m_parts->Schedule(); }
    // The send run's pipeline; none without the clients and the sending window.
    Delivery *DeliveryPart() { return m_parts->DeliveryPart(); }
    // What closing saves: the address book, the history (its ten most recent), the folder list and
    // the settings. A file that cannot be written is said and the others are saved all the same: in
    // a message box, or to report when one is given (an end told from outside, with nobody to
    // answer a box).
    void SaveEverything(QPoint windowPos, const std::function<void(const QString &)> &report = {});
    const QByteArray &ShutterSound() const { return m_shutterSound; }
    const QByteArray &SelfTimerSound() const { return m_selfSound; }

    // The mail text of step 3. The subject holds at most 36 bytes in the system code page.
    static constexpr int kSubjectBytes = 36;
    const QString &Subject() const { return m_subject; }
    const QString &Body() const { return m_body; }
    void SetSubject(const QString &subject);
    void SetBody(const QString &body) { m_body = body; }
    // The longest start of text that fits the subject's byte limit.
    static QString LimitSubject(const QString &text);

Q_SIGNALS:
    void stateChanged();

private:
    void applyStep();
    void showPictureStage();
    void checkSentFolders();
    void oneTimeSettingsChange();
    void hidePopup();
    void changed() { Q_EMIT stateChanged(); }
    void makeParts(const Services &services);
    // The SMTP port the settings give, for the client too.
    void applySmtpPort();

    // SendRunHost: what a send run reads from the window and tells it.
    TMailAddress PaneEntry() const override;
    int FurtherRecipientCount() const override;
    TMailAddress *FurtherRecipient(int index) override;
    QString SubjectText() const override { return m_subject; }
    QString BodyText() const override { return m_body; }
    TMailAddress *CurrentRecipient() const override;
    void SetCurrentRecipient(TMailAddress *entry) override;
    void RenderPicture(const TMailAddress &recipient) override;
    void HidePopupList() override { hidePopup(); }

    QString m_workFolder;
    TUserData &m_settings;
    Prompt &m_prompt;
    MainDialogs &m_dialogs;
    std::function<void()> m_pump;

    QByteArray m_shutterSound;
    QByteArray m_selfSound;
    PictureCanvas m_canvas;
    TAddressBook m_addressBook;
    TAddressBook m_history;
    FolderHistory m_folders;
    RecipientModel m_recipient;

    // The parts, made over the objects above, and what stands in where they are replaced.
    MailClients *m_clients = nullptr;
    std::unique_ptr<MainParts> m_parts;
    NoSendRunner m_noSendRunner;
    NoDialUp m_noDialUp;
    CameraControl *m_camera = nullptr;
    ScheduleControl *m_schedule = nullptr;
    SendRunner *m_sendRunner = &m_noSendRunner;
    DialUpControl *m_dialUp = &m_noDialUp;

    Mode m_mode = Mode::File;
    bool m_mailStageShown = false;
    unsigned m_mailStep = 0;
    StepPane m_stepPane = StepPane::PictureConfig;
    bool m_markerShown = true;
    bool m_pictureBackShown = false;
    bool m_acceptDrops = false;
    bool m_mailCreateEnabled = false;
    bool m_cameraModesEnabled = true;
    bool m_openRecentEnabled = false;
    bool m_openIntervalEnabled = false;
    bool m_windowEnabled = true;
    bool m_firstShowDone = false;
    int m_smtpPort = 25;
    QPoint m_windowPos;
    QString m_subject;
    QString m_body;
};
