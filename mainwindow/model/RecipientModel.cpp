#include "mainwindow/model/RecipientModel.h"

#include "common/Prompt.h"
#include "common/UserData.h"
#include "mail/AddressBook.h"
#include "mail/PictureRender.h"
#include "mainwindow/model/MainDialogs.h"
#include "picture/PictureCanvas.h"

RecipientModel::RecipientModel(TAddressBook &addressBook, TAddressBook &history, TUserData &settings,
                               PictureCanvas &canvas, Prompt &prompt, MainDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_book(addressBook)
    , m_history(history)
    , m_settings(settings)
    , m_canvas(canvas)
    , m_prompt(prompt)
    , m_dialogs(dialogs)
{ }

void RecipientModel::SetNameText(const QString &text)
{
    if (m_name == text)
        return;
    m_name = text;
    Q_EMIT changed();
}

void RecipientModel::SetAddressText(const QString &text)
{
    if (m_address == text)
        return;
    m_address = text;
    Q_EMIT changed();
}

void RecipientModel::ShowServerRouteBySettings()
{
    m_serverRouteShown = m_settings.UseServer;
    Q_EMIT changed();
}

void RecipientModel::ClearServerRoute()
{
    m_serverRoute = false;
    Q_EMIT changed();
}

void RecipientModel::SetCCSelected(int index)
{
    m_ccSelected = index >= 0 && index < m_cc.size() ? index : -1;
    Q_EMIT changed();
}

void RecipientModel::ClearCC()
{
    m_cc.clear();
    m_ccSelected = -1;
    // Nothing left to delete.
    m_delCCEnabled = false;
    Q_EMIT changed();
}

void RecipientModel::NotifyListsRefilled()
{
    Q_EMIT listsRefilled();
}

void RecipientModel::serverRouteCheck(bool afterPick)
{
    if (!m_serverRoute)
        return;
    if (m_settings.FtpComplete())
        return;
    m_prompt.ShowMessageBox(QStringLiteral("FTPサーバーが設定されていません。設定を確認して下さい。"),
                            Msg::IconExclamation, Msg::ButtonsOk);
    m_serverRoute = false;
    if (afterPick) {
        m_current = nullptr;
        m_name.clear();
        m_address.clear();
    }
}

void RecipientModel::showRecipient(const TMailAddress &entry)
{
    m_name = entry.Name;
    m_address = entry.Address;
    m_serverRoute = entry.ServerRoute;
    m_serverRouteShown = m_settings.UseServer;
}

void RecipientModel::btnAddressMailClick()
{
    const std::optional<int> chosen = m_dialogs.ChooseAddress(m_book, m_name, m_address);
    if (!chosen || *chosen < 0 || *chosen >= m_book.Count())
        return;
    m_current = &m_book.Get(*chosen);
    showRecipient(*m_current);
    serverRouteCheck(true);
    m_cc.clear();
    m_ccSelected = -1;
    m_addCCEnabled = true;
    m_delCCEnabled = false;
    Q_EMIT changed();
}

void RecipientModel::cbxNameMailChange(int index)
{
    m_cc.clear();
    m_ccSelected = -1;
    m_addCCEnabled = false;
    m_delCCEnabled = false;
    m_current = index >= 0 && index < m_history.Count() ? &m_history.Get(index) : nullptr;
    if (m_current)
        showRecipient(*m_current);
    serverRouteCheck(true);
    if (m_current)
        m_addCCEnabled = true;
    Q_EMIT changed();
}

void RecipientModel::chkDoCoMoMouseDown(bool ticked)
{
    m_serverRoute = ticked;
    serverRouteCheck(false);
    Q_EMIT changed();
}

void RecipientModel::lbDoCoMoClick()
{
    chkDoCoMoMouseDown(!m_serverRoute);
}

void RecipientModel::refuseAdding(const QString &message)
{
    m_prompt.ShowMessageBox(message, Msg::IconExclamation, Msg::ButtonsOk);
    m_cc.clear();
    m_ccSelected = -1;
    m_addCCEnabled = false;
    m_delCCEnabled = false;
    Q_EMIT changed();
}

void RecipientModel::btnAddCCClick()
{
    if (!m_current) {
        refuseAdding(QStringLiteral("アドレス帳に宛先が登録されていないので、追加出来ません。"));
        return;
    }
    if (m_current->Address.compare(m_address, Qt::CaseInsensitive) != 0) {
        refuseAdding(QStringLiteral("宛先が変更されているので、追加出来ません。"));
        return;
    }
    const std::optional<int> chosen = m_dialogs.ChooseAddress(m_book, m_name, m_address);
    if (!chosen || *chosen < 0 || *chosen >= m_book.Count())
        return;
    TMailAddress *entry = &m_book.Get(*chosen);
    if (entry->Address.compare(m_current->Address, Qt::CaseInsensitive) == 0) {
        m_prompt.ShowMessageBox(QStringLiteral("宛先と同じアドレスは追加できません。"), Msg::IconExclamation,
                                Msg::ButtonsOk);
        return;
    }
    if (!m_address.isEmpty()) {
        // Single precision on purpose: 240 x 320 and 132 x 176 count as the same shape.
        const float recipientAspect = float(m_current->Height) / float(m_current->Width);
        const float entryAspect = float(entry->Height) / float(entry->Width);
        if (recipientAspect != entryAspect) {
            m_prompt.ShowMessageBox(
                QStringLiteral("宛先の画像縦横比と一致しない為、アドレスを追加できません。"),
                Msg::IconExclamation, Msg::ButtonsOk);
            return;
        }
    } else {
        m_prompt.ShowMessageBox(
            QStringLiteral("宛先の画像サイズが決まっていない為、\n画像が正常に送られない場合があります。"),
            Msg::IconExclamation, Msg::ButtonsOk);
    }
    for (const TMailAddress *listed : std::as_const(m_cc))
        if (listed->Address == entry->Address)
            return;
    m_cc.append(entry);
    m_ccSelected = int(m_cc.size()) - 1;
    m_delCCEnabled = true;
    Q_EMIT changed();
}

void RecipientModel::btnDelCCClick()
{
    if (m_cc.isEmpty())
        return;
    if (m_ccSelected < 0) {
        m_prompt.ShowMessageBox(QStringLiteral("削除する宛先が選択されていません。"), Msg::IconExclamation,
                                Msg::ButtonsOk);
        return;
    }
    m_cc.removeAt(m_ccSelected);
    if (m_ccSelected >= m_cc.size())
        m_ccSelected = int(m_cc.size()) - 1;
    if (m_cc.isEmpty())
        m_delCCEnabled = false;
    Q_EMIT changed();
}

bool RecipientModel::CheckAtNext()
{
    if (m_address.isEmpty()) {
        m_prompt.ShowMessageBox(QStringLiteral("宛先を設定して下さい。"), Msg::IconExclamation,
                                Msg::ButtonsOk);
        return false;
    }
    const int found = m_book.Find(m_address);
    m_current = found >= 0 ? &m_book.Get(found) : nullptr;
    m_pictureListsEnabled = true;
    bool userSize = false;
    if (m_current) {
        TMailAddress &entry = *m_current;
        const bool differ = m_canvas.Settings().SizePreset() != entry.SizePreset
            || m_canvas.Settings().QualityLevel() != entry.QualityLevel
            || m_canvas.Settings().PictureWidth() != entry.Width
            || m_canvas.Settings().PictureHeight() != entry.Height;
        if (differ) {
            const int correct
                = m_prompt.ShowMessageBox(QStringLiteral("編集時の画像設定とアドレス帳の設定が一致しません。"
                                                         "\nアドレス帳を修正してよろしいですか？"),
                                          Msg::IconQuestion, Msg::ButtonsYesNo);
            if (correct == Msg::Yes) {
                FillPictureParameters(m_canvas, entry);
                m_book.Save(QStringLiteral("Tavrin.ADX"));
            } else if (m_prompt.ShowMessageBox(QStringLiteral("アドレス帳の設定を優先しますか？"),
                                               Msg::IconQuestion, Msg::ButtonsYesNo)
                       != Msg::Yes) {
                m_prompt.ShowMessageBox(QStringLiteral("編集時の画像設定で送信します。"),
                                        Msg::IconInformation, Msg::ButtonsOk);
                // Reaches the file with the address book's next save.
                FillPictureParameters(m_canvas, entry);
            }
        }
        if (entry.SizePreset == 3)
            userSize = true;
        if (!m_cc.isEmpty()) {
            m_pictureListsEnabled = false;
            userSize = false;
        }
    }
    m_canvas.Settings().EnableUserSize(userSize);
    Q_EMIT changed();
    return true;
}
