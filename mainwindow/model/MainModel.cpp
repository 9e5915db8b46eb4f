#include "mainwindow/model/MainModel.h"

#include "common/BoundedFile.h"
#include "common/Exception.h"
#include "common/Prompt.h"
#include "common/Sjis.h"
#include "common/UserData.h"
#include "mail/MailClients.h"
#include "mail/PictureRender.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/MainParts.h"
#include "mainwindow/model/ScheduleModel.h"

#include <QDir>

namespace {

// The sounds are small; a file that is no regular one, or far too large, is refused like a missing one.
constexpr qint64 kMaxSoundBytes = 16 * 1024 * 1024;

QByteArray readWholeFile(const QString &path)
{
    const FileRead read = ReadRegularFile(path, kMaxSoundBytes);
    if (!read)
        throw Exception(QStringLiteral("ファイル \"%1\" を読めません（%2）。")
                            .arg(QDir::toNativeSeparators(path), FileFaultText(read.fault, kMaxSoundBytes)));
    return read.bytes;
}

CanvasDialogs canvasDialogs(Prompt &prompt)
{
    CanvasDialogs dialogs;
    dialogs.PickColor = [&prompt](Rgb initial) -> std::optional<Rgb> {
        const int chosen = prompt.PickColor((initial.r << 16) | (initial.g << 8) | initial.b);
        if (chosen < 0)
            return std::nullopt;
        return Rgb {quint8(chosen >> 16), quint8(chosen >> 8), quint8(chosen)};
    };
    dialogs.AskPictureSize = [&prompt](const QString &width, const QString &height) -> std::optional<QSize> {
        const QSize size = prompt.AskPictureSize(width, height);
        if (size.width() == 0)
            return std::nullopt;
        return size;
    };
    return dialogs;
}

} // namespace

MainModel::MainModel(Context context, QObject *parent)
    : QObject(parent)
    , m_workFolder(context.workFolder)
    , m_settings(context.settings)
    , m_prompt(context.prompt)
    , m_dialogs(context.dialogs)
    , m_pump(std::move(context.pump))
    , m_canvas(context.workFolder, canvasDialogs(context.prompt))
    , m_addressBook(context.workFolder)
    , m_history(context.workFolder)
    , m_folders(context.workFolder, context.services.shell)
    , m_recipient(m_addressBook, m_history, context.settings, m_canvas, context.prompt, context.dialogs)
{
    const QDir dir(m_workFolder);
    m_shutterSound = readWholeFile(dir.filePath(QStringLiteral("shutter.wav")));
    m_selfSound = readWholeFile(dir.filePath(QStringLiteral("self.wav")));

    m_addressBook.Load(QLatin1String(kAddressBookFile));
    m_history.Load(QLatin1String(kHistoryFile));
    oneTimeSettingsChange();
    // Said once; the file is then left as it is at the end of the run.
    if (!m_folders.Load() && !m_folders.Unread().isEmpty())
        m_prompt.ShowMessageBox(
            QStringLiteral("フォルダの履歴 %1 を読めません: %2\nこのファイルは書き換えずに残します。")
                .arg(QDir::toNativeSeparators(m_folders.FilePath()), m_folders.Unread()),
            Msg::IconExclamation, Msg::ButtonsOk);
    makeParts(context.services);

    connect(&m_canvas, &PictureCanvas::pictureChanged, this, &MainModel::PictureTaken);
}

MainModel::~MainModel() = default;

void MainModel::makeParts(const Services &services)
{
    m_clients = services.clients;
    FileSourceHost host;
    host.Next = [this] {
        btnMailCreateClick();
    };
    host.SwitchCameraOff = [this] {
        m_camera->SwitchCamera(false);
    };
    host.ScheduleRunning = [this] {
        return m_schedule->Running();
    };
    host.SetWindowEnabled = [this](bool on) {
        m_windowEnabled = on;
        changed();
    };
    host.Repaint = [this] {
        if (m_pump)
            m_pump();
    };
    m_parts = std::make_unique<MainParts>(
        MainPartsBase {m_workFolder, m_settings, m_prompt, m_dialogs, m_canvas, m_history, m_folders,
                       m_shutterSound, m_selfSound, static_cast<SendRunHost &>(*this), std::move(host),
                       [this] {
                           SaveEverything(m_windowPos);
                       }},
        services);
    m_camera = &m_parts->Camera();
    m_schedule = &m_parts->ScheduleSeam();
    SetSendRunner(nullptr);
    SetDialUp(nullptr);
    connect(&m_parts->Camera(), &CameraModel::windowEnabledChanged, this, &MainModel::changed);
    connect(&m_parts->Schedule(), &ScheduleModel::refillRecipientLists, this,
            &MainModel::RefillRecipientLists);
}

void MainModel::applySmtpPort()
{
    m_smtpPort = m_settings.SmtpPortInUse();
    if (m_clients)
        m_clients->IdSMTP.Port = m_smtpPort;
}

void MainModel::SetCamera(CameraControl *camera)
{
    m_camera = camera ? camera : &m_parts->Camera();
}

void MainModel::SetSchedule(ScheduleControl *schedule)
{
    m_schedule = schedule ? schedule : &m_parts->ScheduleSeam();
}

void MainModel::SetSendRunner(SendRunner *runner)
{
    m_sendRunner
        = runner ? runner : (m_parts->SendRunnerSeam() ? m_parts->SendRunnerSeam() : &m_noSendRunner);
}

void MainModel::SetDialUp(DialUpControl *dialUp)
{
    m_dialUp = dialUp ? dialUp : (m_parts->DialUpSeam() ? m_parts->DialUpSeam() : &m_noDialUp);
}

// ---- What a send run reads

TMailAddress MainModel::PaneEntry() const
{
    TMailAddress entry;
    entry.Name = m_recipient.NameText();
    entry.Address = m_recipient.AddressText();
    entry.ServerRoute = m_recipient.ServerRoute();
    FillPictureParameters(m_canvas, entry);
    return entry;
}

int MainModel::FurtherRecipientCount() const
{
    return int(m_recipient.CC().size());
}

TMailAddress *MainModel::FurtherRecipient(int index)
{
    return m_recipient.CC().at(index);
}

TMailAddress *MainModel::CurrentRecipient() const
{
    return m_recipient.Current();
}

void MainModel::SetCurrentRecipient(TMailAddress *entry)
{
    m_recipient.SetCurrent(entry);
}

void MainModel::RenderPicture(const TMailAddress &recipient)
{
    ::RenderPicture(m_canvas, recipient);
}

// ---- Life of the window

void MainModel::oneTimeSettingsChange()
{
    if (m_settings.Major != 2 || m_settings.Minor != 0)
        return;
    const QString text = QStringLiteral("※ＦＴＰサーバーについて※\n\n")
        + QStringLiteral("DoCoMoのメールシステム拡張により、mova（50x/25x/21xシリーズ）に\n")
        + QStringLiteral("対してＦＴＰサーバーを使用しなくとも画像を送れるようになりました。\n\n")
        + QStringLiteral("ＦＴＰサーバーを使用しないように設定を変更しますか？\n");
    if (m_prompt.ShowSystemMessageBox(text, Msg::IconExclamation, Msg::ButtonsYesNo) == Msg::Yes) {
        m_settings.UseServer = true;
        m_settings.DedicatedServer = false;
        for (int i = 0; i < m_addressBook.Count(); ++i)
            m_addressBook.Get(i).ServerRoute = false;
        m_addressBook.Save(QLatin1String(kAddressBookFile));
        for (int i = 0; i < m_history.Count(); ++i)
            m_history.Get(i).ServerRoute = false;
        RefillRecipientLists();
    }
    m_settings.Minor = 1;
}

void MainModel::FormCreate()
{
    m_cameraModesEnabled = m_camera->SetUpCamera();
    checkSentFolders();
    m_acceptDrops = true;
    m_recipient.ShowServerRouteBySettings();
    applySmtpPort();
    changed();
}

QPoint MainModel::WindowPosition(QSize screen, QSize window) const
{
    if (m_settings.x == -1 && m_settings.y == -1)
        return QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
    return QPoint(m_settings.x, m_settings.y);
}

void MainModel::FormShow()
{
    if (m_settings.FromAddress.isEmpty()) {
        m_prompt.ShowSystemMessageBox(QStringLiteral("ユーザー設定を行って下さい。"), Msg::IconInformation,
                                      Msg::ButtonsOk);
        const bool accepted = m_dialogs.ShowConfig();
        m_settings.SaveToWorkFolder();
        if (accepted) {
            // What an accepted settings dialog changes, so the port chosen here counts at once.
            m_recipient.ShowServerRouteBySettings();
            applySmtpPort();
        }
    }
    m_dialogs.HideSendingWindow();
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        RefillRecipientLists();
        checkSentFolders();
    }
    changed();
}

bool MainModel::FormCloseQuery()
{
    if (m_schedule->Running())
        return false;
    return m_prompt.ShowMessageBox(QStringLiteral("終了しますか？"), Msg::IconQuestion, Msg::ButtonsYesNo)
        == Msg::Yes;
}

void MainModel::SaveEverything(QPoint windowPos, const std::function<void(const QString &)> &reportTo)
{
    // One failed file must not cost the others.
    const auto report = [&](const QString &text) {
        if (reportTo)
            reportTo(text);
        else
            m_prompt.ShowMessageBox(text, Msg::IconError, Msg::ButtonsOk);
    };
    try {
        m_addressBook.Save(QLatin1String(kAddressBookFile));
    } catch (const Exception &e) {
        report(e.Message());
    }
    m_history.TrimTo(TAddressBook::kHistoryLimit);
    try {
        m_history.Save(QLatin1String(kHistoryFile));
    } catch (const Exception &e) {
        report(e.Message());
    }
    m_folders.Save();
    m_settings.x = windowPos.x();
    m_settings.y = windowPos.y();
    if (!m_settings.SaveToWorkFolder() && reportTo)
        reportTo(QStringLiteral("設定ファイル %1 に書き込めません。")
                     .arg(QDir::toNativeSeparators(m_settings.WorkFilePath())));
}

void MainModel::FormClose(QPoint windowPos)
{
    m_acceptDrops = false;
    SaveEverything(windowPos);

    m_dialUp->SetInUse(!m_settings.Connect);
    m_dialUp->Refresh();
    if (!m_settings.Connect && m_dialUp->Connected()
        && m_prompt.ShowMessageBox(QStringLiteral("インターネットとの接続を解除しますか？"),
                                   Msg::IconQuestion, Msg::ButtonsYesNo)
            == Msg::Yes)
        m_dialUp->HangUp();
    m_camera->ReleaseCapture();
    changed();
}

// ---- Workflow

void MainModel::hidePopup()
{
    m_dialogs.HidePopupList();
}

void MainModel::checkSentFolders()
{
    m_openRecentEnabled = m_parts->FileSource().RecentFolderExists();
    m_openIntervalEnabled = m_parts->FileSource().IntervalFolderExists();
}

void MainModel::showPictureStage()
{
    m_mailStageShown = false;
    // Further recipients belong to one picture's send, never to the next one's.
    m_recipient.ClearCC();
}

void MainModel::btnFileModeClick()
{
    hidePopup();
    showPictureStage();
    checkSentFolders();
    m_canvas.LayoutFrame(240, 320);
    m_mode = Mode::File;
    m_canvas.SetEnabled(false);
    m_canvas.SetPictureShown(true);
    m_markerShown = true;
    m_camera->SwitchCamera(false);
    m_acceptDrops = true;
    changed();
}

void MainModel::btnCameraModeClick()
{
    hidePopup();
    showPictureStage();
    m_canvas.LayoutFrame(240, 320);
    m_pictureBackShown = true;
    m_mode = Mode::Camera;
    m_canvas.SetEnabled(false);
    m_markerShown = true;
    // The view in the camera's aspect, fit by width, and the live view on through the switch.
    m_camera->EnterCameraMode();
    m_acceptDrops = false;
    changed();
}

void MainModel::btnAutoModeClick()
{
    hidePopup();
    if (m_mailStageShown) {
        showPictureStage();
        m_canvas.LayoutFrame(240, 320);
    }
    m_schedule->EnterAutoMode();
    m_canvas.SetPictureShown(false);
    m_mode = Mode::Auto;
    m_markerShown = true;
    changed();
    if (m_pump)
        m_pump();
    m_canvas.LayoutFrame(240, 320);
    m_pictureBackShown = true;
    // The view in the camera's aspect, fit by width, on at the slow preview rate.
    m_camera->EnterAutoMode();
    m_acceptDrops = false;
    changed();
}

void MainModel::btnMailCreateClick()
{
    hidePopup();
    if (m_mode == Mode::Auto && !m_mailStageShown) {
        if (!m_schedule->StartSchedule())
            return;
    } else {
        m_camera->SwitchCamera(false);
        m_mailStageShown = true;
        m_canvas.SetCameraHostShown(false);
        m_canvas.SetPictureShown(true);
        if (m_canvas.Settings().SizePreset() < 0) {
            m_canvas.Settings().SetSizePreset(2);
            m_canvas.Settings().SetQualityLevel(2);
        }
        m_markerShown = false;
        m_mailStep = 0;
        btnFwdClick();
    }
    m_acceptDrops = false;
    changed();
}

void MainModel::btnFwdClick()
{
    hidePopup();
    if (m_mailStep == 2 && !m_recipient.CheckAtNext())
        return;
    ++m_mailStep;
    applyStep();
}

void MainModel::btnBackClick()
{
    hidePopup();
    --m_mailStep;
    applyStep();
}

void MainModel::applyStep()
{
    switch (m_mailStep) {
    case 0:
        m_pictureBackShown = false;
        m_mailStageShown = false;
        m_markerShown = true;
        m_recipient.ClearCC();
        if (m_mode != Mode::Auto)
            m_acceptDrops = true;
        break;
    case 1:
        m_pictureBackShown = false;
        m_canvas.SetEnabled(true);
        m_stepPane = StepPane::PictureConfig;
        changed();
        m_canvas.SizePresetChanged(false, m_recipient.CC().isEmpty());
        // The picture area takes the keys (Page Up/Down, the keypad) from here on.
        Q_EMIT m_canvas.focusRequested();
        break;
    case 2:
        m_canvas.SetEnabled(false);
        m_recipient.ClearServerRoute();
        m_stepPane = StepPane::SendTo;
        m_pictureBackShown = false;
        m_acceptDrops = false;
        break;
    case 3:
        m_canvas.SetEnabled(false);
        m_stepPane = StepPane::EditMail;
        break;
    case 4:
        changed();
        if (m_prompt.ShowMessageBox(QStringLiteral("送信しますか？"), Msg::IconQuestion, Msg::ButtonsYesNo)
            != Msg::Yes) {
            m_mailStep = 3;
            break;
        }
        m_windowEnabled = false;
        changed();
        {
            const bool sent = m_sendRunner->SendRun();
            m_windowEnabled = true;
            if (!sent) {
                m_mailStep = 3;
                break;
            }
        }
        m_dialogs.HideSendingWindow();
        showPictureStage();
        m_canvas.SetEnabled(false);
        m_markerShown = true;
        m_canvas.LayoutFrame(240, 320);
        m_pictureBackShown = false;
        if (m_mode == Mode::File)
            m_acceptDrops = true;
        checkSentFolders();
        break;
    default:
        break;
    }
    changed();
}

void MainModel::btnConfig1Click()
{
    hidePopup();
    if (!m_dialogs.ShowConfig())
        return;
    m_settings.SaveToWorkFolder();
    m_recipient.ShowServerRouteBySettings();
    applySmtpPort();
    changed();
}

void MainModel::PanelClick()
{
    hidePopup();
}

void MainModel::FormKeyPress(int key)
{
    if (key == Qt::Key_Escape && m_mode == Mode::Auto && !m_mailStageShown)
        m_schedule->EscapePressed();
}

void MainModel::RefillRecipientLists()
{
    m_recipient.NotifyListsRefilled();
}

void MainModel::btnAddressAutoClick()
{
    hidePopup();
    ScheduleModel &s = m_parts->Schedule();
    const std::optional<int> chosen = m_dialogs.ChooseAddress(m_addressBook, s.ShownName(), s.ShownAddress());
    if (chosen && *chosen >= 0 && *chosen < m_addressBook.Count())
        s.RecipientFromAddressBook(m_addressBook.Get(*chosen));
}

void MainModel::PictureTaken()
{
    if (m_mailCreateEnabled || !m_canvas.HasPicture())
        return;
    m_mailCreateEnabled = true;
    changed();
}

bool MainModel::WindowEnabled() const
{
    // The self-timer's countdown keeps the window from input as a send does.
    return m_windowEnabled && m_parts->Camera().WindowEnabled();
}

QString MainModel::FwdLabel() const
{
    // Step 4 (asking, sending) keeps the caption step 3 gave it.
    return m_mailStep >= 3 ? QStringLiteral("\\n送信") : QStringLiteral("\\n次へ");
}

void MainModel::SetSubject(const QString &subject)
{
    m_subject = LimitSubject(subject);
}

QString MainModel::LimitSubject(const QString &text)
{
    QString fitted;
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size();) {
        // A surrogate pair is one character.
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        bytes += Sjis::encode(character).size();
        if (bytes > kSubjectBytes)
            break;
        fitted += character;
        i += length;
    }
    return fitted;
}
