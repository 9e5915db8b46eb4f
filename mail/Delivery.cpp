#include "mail/Delivery.h"

#include "mail/ClientSettings.h"

#include "common/Clock.h"
#include "common/Port.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "mail/AddressBook.h"
#include "mail/DialUp.h"
#include "mail/IdException.h"
#include "mail/MailClients.h"
#include "mail/OAuth.h"
#include "mail/SendingWindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

namespace {

int clampToInt(qint64 value)
{
    return static_cast<int>(std::clamp<qint64>(value, 0, std::numeric_limits<int>::max()));
}

} // namespace

void EventLoopEnd::SaveEverything()
{
    if (m_save)
        m_save();
}

void EventLoopEnd::Quit()
{
    QCoreApplication::exit(1);
}

Delivery::Delivery(DeliveryParts parts, QObject *parent)
    : QObject(parent)
    , m(std::move(parts))
    , tmTimeOut(m.clock.CreateTimer())
{
    tmTimeOut->SetInterval(TimeOutMs);
    tmTimeOut->OnTimeout = [this] {
        tmTimeOutTimer();
    };

    m.clients.IdSMTP.WaitClock = &m.clock;
    m.clients.IdPOP3.WaitClock = &m.clock;
    m.clients.IdFTP.WaitClock = &m.clock;
    for (CommandConnection *client : {static_cast<CommandConnection *>(&m.clients.IdSMTP),
                                      static_cast<CommandConnection *>(&m.clients.IdFTP)}) {
        client->OnWorkBegin = [this](CommandConnection &sender, WorkMode mode, qint64 total) {
            IdCompoWorkBegin(sender, mode, total);
        };
        client->OnWork = [this](CommandConnection &sender, WorkMode mode, qint64 count) {
            IdCompoWork(sender, mode, count);
        };
        client->OnWorkEnd = [this](CommandConnection &sender, WorkMode mode) {
            IdCompoPWorkEnd(sender, mode);
        };
    }
}

Delivery::~Delivery()
{
    for (CommandConnection *client : {static_cast<CommandConnection *>(&m.clients.IdSMTP),
                                      static_cast<CommandConnection *>(&m.clients.IdPOP3),
                                      static_cast<CommandConnection *>(&m.clients.IdFTP)}) {
        client->WaitClock = nullptr;
        client->OnWorkBegin = nullptr;
        client->OnWork = nullptr;
        client->OnWorkEnd = nullptr;
    }
}

void Delivery::SetTimeOutIntervals(int normalMs, int dialUpMs)
{
    tmTimeOut->SetInterval(normalMs);
    m_dialUpTimeOutMs = dialUpMs;
}

bool Delivery::SendRun(SendRunHost &host)
{
    if (m_ending)
        return false;
    host.HidePopupList();
    const bool askToAdd = host.CurrentRecipient() == nullptr;
    m_firstMessage = true;
    bool result = false;
    QString pictureName;

    for (int k = 0; k <= host.FurtherRecipientCount(); ++k) {
        TMailAddress *recipient = nullptr;
        if (k == 0) {
            auto entry = std::make_unique<TMailAddress>(host.PaneEntry());
            host.SetCurrentRecipient(entry.get());
            m_paneEntry = std::move(entry);
            recipient = m_paneEntry.get();
        } else {
            recipient = host.FurtherRecipient(k - 1);
            host.SetCurrentRecipient(recipient);
        }
        // The entry may change while events are pumped; this message goes out as it stands now.
        const TMailAddress to = *recipient;

        try {
            host.RenderPicture(to);
        } catch (...) {
            showStandardError(ClassifyFailure(std::current_exception()).text);
            result = false;
            break;
        }
        pictureName = InteractivePictureName(m.clock.Now(), m.draw);

        if (!m.settings.Connect) {
            tmTimeOut->SetInterval(m_dialUpTimeOutMs);
            m.window.HideWindow();
            // Ending here skips the report and the questions; the next mail still starts a run.
            if (!m.dialUp || m.dialUp->EntryCount() == 0) {
                showError(QStringLiteral("ダイヤルアップネットワークに接続設定がありません。"));
                m_firstMessage = true;
                return false;
            }
            if (!m.dialUp->EnsureConnected()) {
                showError(QStringLiteral("インターネットに接続できません。"));
                m_firstMessage = true;
                return false;
            }
            m.window.ShowWindow();
        }

        PictureMail mail;
        mail.FromName = m.settings.FromName;
        mail.FromAddress = m.settings.FromAddress;
        mail.PictureName = pictureName;
        mail.ServerRoute = to.ServerRoute;
        mail.UploadName = pictureName;
        mail.Body = PictureMailBody(host.BodyText(), to.ServerRoute, m.settings.Url, pictureName);
        mail.Subject = host.SubjectText();
        mail.RecipientName = to.Name;
        mail.RecipientAddress = to.Address;
        if (!SendPicture(mail)) {
            result = false;
            break;
        }
        result = true;
        m_firstMessage = false;
        if (k == 0) {
            host.SetCurrentRecipient(nullptr);
            m_paneEntry.reset();
        }
    }
    m_firstMessage = true;
    if (m_ending)
        return false;

    report(result, pictureName);

    if (!m.settings.Connect && m.dialUp && m.dialUp->Connected()
        && m.prompt.ShowMessageBox(QStringLiteral("接続を解除しますか？"), Msg::IconQuestion,
                                   Msg::ButtonsYesNo)
            == Msg::Yes)
        m.dialUp->HangUp();

    if (result) {
        TMailAddress entry = host.PaneEntry();
        host.History().RememberRecipient(entry);
        host.RefillRecipientLists();
        if (askToAdd
            && m.prompt.ShowMessageBox(QStringLiteral("宛先をアドレス帳に追加しますか？"), Msg::IconQuestion,
                                       Msg::ButtonsYesNo)
                == Msg::Yes) {
            if (entry.Name.isEmpty())
                entry.Name = QStringLiteral("No Name");
            host.AddressBook().Append(entry);
        }
        host.SetCurrentRecipient(nullptr);
    }
    return result;
}

void Delivery::report(bool result, const QString &pictureName)
{
    if (result) {
        // The picture of the last message is kept. The mail is out whatever happens to the copy.
        const bool kept = KeepPicture(m.workFolder, QStringLiteral("Recent"), pictureName);
        m.prompt.ShowMessageBox(QStringLiteral("送信しました。"), Msg::IconInformation, Msg::ButtonsOk);
        if (!kept)
            m.prompt.ShowMessageBox(
                QStringLiteral("送信した画像を送信済みフォルダ %1 に保存できませんでした。\n"
                               "ディスクの空きを確かめて下さい。画像は %2 に残してあります。")
                    .arg(QDir::toNativeSeparators(QDir(m.workFolder).filePath(QStringLiteral("Recent"))),
                         QDir::toNativeSeparators(tmpJpgPath())),
                Msg::IconExclamation, Msg::ButtonsOk);
    } else if (m.window.Cancelled()) {
        showError(QStringLiteral("送信を中止しました。"));
    } else {
        showError(QStringLiteral("送信に失敗しました。"));
    }
}

bool Delivery::SendPicture(const PictureMail &mail)
{
    if (m_ending)
        return false;
    m.window.SetProgressRange(0, 100);
    m.window.SetProgressPosition(0);
    m.window.ShowWindow();
    m.window.Repaint();
    m.clock.Pump();

    bool result = false;
    try {
        TIdMessage msg = BuildPictureMessage(mail, m.workFolder);
        TIdSMTP &smtp = m.clients.IdSMTP;
        // One and a half times the picture covers its base64 text and the rest of the message.
        const quint32 size = static_cast<quint32>(QFileInfo(tmpJpgPath()).size());
        smtp.Tag = (size * 3u) / 2u;
        // The port is the window's to set (at start and after the settings dialog).
        const int smtpPort = smtp.Port;
        ApplySettings(smtp, m.settings);
        smtp.Port = smtpPort;

        result = true;
        if (mail.ServerRoute) {
            progressPosition(0);
            result = UploadPicture(mail.UploadName);
        }
        if (result && m.window.Cancelled())
            result = false;
        if (result && m.settings.UsePOP3 && m_firstMessage) {
            progressPosition(0);
            result = PopLogin();
        }
        if (result) {
            smtp.SetAuthenticationType(SmtpAuthenticationOf(m.settings));
            if (smtp.AuthenticationType() == atXOAuth2) {
                if (!m.clients.AccessToken)
                    throw SignInError(OAuthText::NotSignedIn(), true);
                smtp.AccessToken = m.clients.AccessToken();
            }
            if (m.window.Cancelled()) {
                result = false;
            } else {
                progressPosition(0);
                result = SmtpSend(msg);
            }
        }
    } catch (...) {
        // Not a failure of the clients: a picture that cannot be read, a port that is no number.
        const ClientFailure failure = ClassifyFailure(std::current_exception());
        result = false;
        tmTimeOut->Stop();
        m.window.HideWindow();
        if (!m_ending)
            showStandardError(failure.text);
    }
    m.window.HideWindow();
    return result && !m_ending;
}

bool Delivery::UploadPicture(const QString &uploadName)
{
    TIdFTP &ftp = m.clients.IdFTP;
    const int port = ftpPort();
    ApplySettings(ftp, m.settings);
    ftp.Port = port;
    const QString folder = m.settings.Folder;
    const QString picture = tmpJpgPath();
    return runStep(NetStep::Ftp, ftp, MailClients::Ftp, [&] {
        // A folder or name that would carry a second command is refused before anything is sent.
        TIdFTP::CheckUpload(folder, uploadName);
        status(QStringLiteral("FTPサーバーに接続しています…"));
        ftp.Connect();
        pause(StatusPauseMs);
        status(QStringLiteral("FTPサーバー接続完了．"));
        ftp.ChangeDir(folder);
        pause(StatusPauseMs);
        ftp.Put(picture, uploadName);
        pause(StatusPauseMs);
        status(QStringLiteral("アップロード中…"));
        ftp.Disconnect();
        pause(StatusPauseMs);
        status(QStringLiteral("アップロード完了．"));
    });
}

bool Delivery::PopLogin()
{
    TIdPOP3 &pop = m.clients.IdPOP3;
    const int popPort = pop.Port;
    ApplySettings(pop, m.settings);
    pop.Port = popPort;
    return runStep(NetStep::Pop3, pop, MailClients::Pop3, [&] {
        status(QStringLiteral("POP3サーバーに接続しています…"));
        pop.Connect();
        pause(StatusPauseMs);
        status(QStringLiteral("POP3認証中…"));
        pop.Disconnect();
        pause(StatusPauseMs);
        status(QStringLiteral("POP3認証完了．"));
    });
}

bool Delivery::SmtpSend(TIdMessage &msg)
{
    TIdSMTP &smtp = m.clients.IdSMTP;
    return runStep(NetStep::Smtp, smtp, MailClients::Smtp, [&] {
        status(QStringLiteral("SMTPサーバーに接続しています…"));
        smtp.Connect();
        pause(StatusPauseMs);
        status(QStringLiteral("メール送信中…"));
        smtp.Send(msg);
        pause(StatusPauseMs);
        status(QStringLiteral("送信完了．"));
        smtp.Disconnect();
        pause(StatusPauseMs);
    });
}

bool Delivery::runStep(NetStep step, CommandConnection &client, int number,
                       const std::function<void()> &lines)
{
    const auto finish = [&] {
        tmTimeOut->Stop();
        if (client.Connected())
            client.Disconnect();
        m.window.SetActiveClient(MailClients::None);
    };
    m.window.SetActiveClient(number);
    tmTimeOut->Start(tmTimeOut->Interval());
    bool result = false;
    try {
        lines();
        result = true;
    } catch (const EIdException &) {
        const ClientFailure failure = ClassifyFailure(std::current_exception());
        if (StopIntervalTimer)
            StopIntervalTimer();
        tmTimeOut->Stop();
        m.window.HideWindow();
        if (!m_ending)
            showError(StepFailureMessage(step, failure));
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return result && !m_ending;
}

void Delivery::IdCompoWorkBegin(CommandConnection &sender, WorkMode, qint64 total)
{
    m.window.SetProgressRange(0, clampToInt(total != 0 ? total : sender.Tag));
    m.window.SetProgressPosition(0);
    m.window.Repaint();
    m.clock.Pump();
}

void Delivery::IdCompoWork(CommandConnection &, WorkMode, qint64 count)
{
    m.window.SetProgressPosition(clampToInt(count));
    m.window.Repaint();
    m.clock.Pump();
}

void Delivery::IdCompoPWorkEnd(CommandConnection &, WorkMode)
{
    m.window.SetProgressPosition(m.window.ProgressMaximum());
    m.window.Repaint();
    m.clock.Pump();
    pause(WorkEndPauseMs);
}

void Delivery::tmTimeOutTimer()
{
    tmTimeOut->Stop();
    if (m_ending)
        return;
    m_ending = true;
    // Nothing the user changed in this run is lost: what closing would save is saved first.
    m.end.SaveEverything();
    // The window stays on top and would hide the messages.
    m.window.HideWindow();
    showError(QStringLiteral("タイムアウトエラー：ネットワークから応答がありません。"));
    showError(QStringLiteral("プログラムを続行できません。"));
    m.end.Quit();
    // The step still waits for the server below us: break it off, so that it unwinds quietly.
    m.clients.Disconnect(m.window.ActiveClient());
}

void Delivery::status(const QString &text)
{
    m.window.ShowSendingStatus(text);
    m.window.Repaint();
    m.clock.Pump();
}

void Delivery::pause(int ms)
{
    m.clock.Pause(ms);
}

void Delivery::progressPosition(int position)
{
    m.window.SetProgressPosition(position);
}

void Delivery::showError(const QString &text)
{
    m.prompt.ShowMessageBox(text, Msg::IconError, Msg::ButtonsOk);
}

void Delivery::showStandardError(const QString &text)
{
    m.prompt.ShowSystemMessageBox(text, Msg::IconError, Msg::ButtonsOk);
}

QString Delivery::tmpJpgPath() const
{
    return QDir(m.workFolder).filePath(QStringLiteral("tmp.jpg"));
}

int Delivery::ftpPort() const
{
    const std::optional<int> port = ParsePort(m.settings.Port);
    if (!port)
        throw Exception(
            QStringLiteral("FTPサーバーのポート番号「%1」が正しくありません。").arg(m.settings.Port));
    return *port;
}
