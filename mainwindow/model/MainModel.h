#pragma once

#include "mail/AddressBook.h"
#include "mainwindow/model/FolderHistory.h"
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

class MainDialogs;
class Prompt;
class TUserData;

// The main window without its widgets: the working mode, the picture and mail stages with their
// steps, the objects the window owns for the run (canvas, address book and history, folder history,
// the two sounds), and its life from construction to closing. The widgets show the state read from
// here and forward their events; every change is announced by stateChanged or by the signals of the
// owned objects.
class MainModel : public QObject
{
    Q_OBJECT

public:
    enum class Mode { File, Camera, Auto };
    // The pane shown in the mail stage.
    enum class StepPane { PictureConfig, SendTo, EditMail };

    static constexpr char kAddressBookFile[] = "Tavrin.ADX";
    static constexpr char kHistoryFile[] = "History.ADX";

    struct Context
    {
        QString workFolder; // with a trailing separator
        TUserData &settings;
        Prompt &prompt;
        MainDialogs &dialogs;
        // Lets the window repaint and pending events run (the waits of the program).
        std::function<void()> pump;
    };

    // Reads both sounds, the address book, the history and the folder history, and makes the
    // one-time settings change of version 2.0. Throws Exception when a sound file cannot be read or a
    // list file is broken.
    explicit MainModel(Context context, QObject *parent = nullptr);
    ~MainModel() override;

    // The parts the model drives; each has a stand-in until set. They must outlive the model.
    void SetCamera(CameraControl *camera);
    void SetSchedule(ScheduleControl *schedule);
    void SetSendRunner(SendRunner *runner);
    void SetDialUp(DialUpControl *dialUp);
    CameraControl &Camera() const { return *m_camera; }
    ScheduleControl &Schedule() const { return *m_schedule; }

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
    void RefillRecipientLists();

    // The open-picture dialog of File mode: the chosen picture goes onto the canvas and on to step 1.
    void btnOpenDialogClick();

    // Files dropped on the window while it accepts drops: one BMP or JPG file goes onto the canvas and
    // on to step 1.
    void HandleDroppedFiles(const QStringList &paths);

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
    bool WindowEnabled() const { return m_windowEnabled; }
    // The caption of the mail stage's Next button: "\n次へ" or "\n送信".
    QString FwdLabel() const;
    int SmtpPort() const { return m_smtpPort; }
    bool FirstMessage() const { return m_firstMessage; }
    void SetFirstMessage(bool first) { m_firstMessage = first; }

    // ---- Owned objects

    const QString &WorkFolder() const { return m_workFolder; }
    TUserData &Settings() const { return m_settings; }
    TPictureCanvas &Canvas() { return m_canvas; }
    TAddressBook &AddressBook() { return m_addressBook; }
    TAddressBook &History() { return m_history; }
    FolderHistory &Folders() { return m_folders; }
    RecipientModel &Recipient() { return m_recipient; }
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

    QString m_workFolder;
    TUserData &m_settings;
    Prompt &m_prompt;
    MainDialogs &m_dialogs;
    std::function<void()> m_pump;

    QByteArray m_shutterSound;
    QByteArray m_selfSound;
    TPictureCanvas m_canvas;
    TAddressBook m_addressBook;
    TAddressBook m_history;
    FolderHistory m_folders;
    RecipientModel m_recipient;

    NoCamera m_noCamera;
    NoSchedule m_noSchedule;
    NoSendRunner m_noSendRunner;
    NoDialUp m_noDialUp;
    CameraControl *m_camera = &m_noCamera;
    ScheduleControl *m_schedule = &m_noSchedule;
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
    bool m_firstMessage = true;
    int m_smtpPort = 25;
    QString m_subject;
    QString m_body;
};
