// tavrin-gallery OUTDIR: saves OUTDIR/<name>.png for every window and widget sample; with
// --stay it then leaves them all on the screen until it is closed.
#include "tools/gallery/CameraSamples.h"
#include "app/Application.h"
#include "tools/gallery/MainWindowScenes.h"
#include "widgets/ProgramFont.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/DUNSelectUnit.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SendingUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/AddressBook.h"
#include "mail/MailClients.h"
#include "platform/null/NullMailAccountStore.h"
#include "mainwindow/FindFolderUnit.h"
#include "mainwindow/LoadingUnit.h"
#include "mainwindow/ThumbnailUnit.h"
#include "picture/ConvertJpeg.h"
#include "picture/JpegCodec.h"
#include "support/Pictures.h"
#include "widgets/Colors.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatMemo.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/FlatScrollBar.h"
#include "widgets/LabeledBmpBtn.h"

#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QString g_out;
std::vector<std::unique_ptr<QWidget>> g_keep;

void save(QWidget *w, const QString &name)
{
    w->show();
    QCoreApplication::processEvents();
    const QString path = QDir(g_out).filePath(name + QStringLiteral(".png"));
    if (!w->grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

QWidget *messageBox(const QString &text, int icon, int buttons)
{
    auto *box = new TMsgBox;
    box->Prepare(text, icon, buttons);
    g_keep.emplace_back(box);
    return box;
}

QWidget *buttonRow()
{
    // Each row one caption in the four looks: normal, held (the pressed look), disabled, disabled while held.
    const struct
    {
        QString text;
        QString hilite;
    } rows[] = {{QStringLiteral("\\n次へ"), QString()},
                {QStringLiteral("高さを\\n合わせる"), QString()},
                {QStringLiteral("カメラ 　［切］"), QStringLiteral("カメラ 　［入］")}};
    auto *panel = new FlatPanel;
    panel->resize(4 * 88 + 8, 3 * 48 + 8);
    for (int row = 0; row < 3; ++row) {
        for (int look = 0; look < 4; ++look) {
            auto *b = MakeDialogButton(panel, nullptr, rows[row].text,
                                       QRect(8 + look * 88, 8 + row * 48, 80, 40));
            b->SetLabelHilite(rows[row].hilite);
            b->SetHold(true);
            if (look == 1 || look == 3)
                b->SetHolding(true);
            if (look >= 2)
                b->SetEnabled(false);
        }
    }
    g_keep.emplace_back(panel);
    return panel;
}

QWidget *flatControls()
{
    auto *panel = new FlatPanel;
    panel->resize(260, 200);
    panel->SetInputFrameColor(Colors::Frame);
    auto *edit = new FlatEdit(panel);
    edit->setGeometry(10, 10, 110, 17);
    edit->setText(QStringLiteral("山田 太郎"));
    auto *combo = new FlatComboBox(panel);
    combo->setGeometry(130, 10, 120, 17);
    combo->SetItems({QStringLiteral("120 x 120"), QStringLiteral("132 x 176"), QStringLiteral("240 x 320"),
                     QStringLiteral("ユーザー設定")});
    combo->SetItemIndex(2);
    auto *editable = new FlatComboBox(panel);
    editable->SetEditable(true);
    editable->setGeometry(130, 36, 120, 17);
    editable->SetItems({QStringLiteral("taro@example.jp")});
    editable->SetText(QStringLiteral("taro@example.jp"));
    auto *list = new FlatListBox(panel);
    list->setGeometry(10, 36, 110, 60);
    list->SetItems({QStringLiteral("docomo"), QStringLiteral("au"), QStringLiteral("SoftBank"),
                    QStringLiteral("WILLCOM"), QStringLiteral("その他")});
    list->SetItemIndex(1);
    auto *memo = new FlatMemo(panel);
    memo->setGeometry(10, 106, 110, 50);
    memo->setPlainText(QStringLiteral("本文です。\n二行目。"));
    auto *check = new FlatCheckBox(QStringLiteral("ＦＴＰを使う"), panel);
    check->setGeometry(130, 64, 120, 16);
    check->setChecked(true);
    auto *bar = new FlatProgressBar(panel);
    bar->setGeometry(130, 90, 80, 9);
    bar->SetBorderColor(QColor(255, 155, 255));
    bar->setValue(60);
    auto *scroll = new FlatScrollBar(Qt::Vertical, panel);
    scroll->setGeometry(230, 106, 16, 84);
    scroll->setRange(0, 10);
    auto *popup = new TPopupListBox;
    combo->SetListWindow(popup);
    g_keep.emplace_back(panel);
    g_keep.emplace_back(popup);
    return panel;
}

void settingsPages(Prompt &prompt, PopupListWindow *popup)
{
    static TUserData settings;
    settings.FromName = QStringLiteral("山田 太郎");
    settings.FromAddress = QStringLiteral("taro@example.jp");
    settings.SMTPServer = QStringLiteral("smtp.example.jp");
    settings.UserID = QStringLiteral("taro");
    settings.PassWord = QStringLiteral("secret");
    settings.UseSMTPAuth = true;
    settings.UseServer = true;
    settings.Host = QStringLiteral("ftp.example.jp");
    settings.Port = QStringLiteral("21");
    settings.Url = QStringLiteral("http://www.example.jp/pic/");
    settings.SMTPPort = 465;
    settings.MailEncryption = EncryptionMode::Required;
    settings.Fingerprint = QStringLiteral("3A:F1:09:7C:5B:2E:D4:88:61:0F:AA:93:47:BC:1D:E2:"
                                          "75:06:C8:39:F4:5D:12:AB:6E:90:37:CD:28:E1:4B:7F");
    static NullMailAccountStore accounts;
    auto *choice = new TAccount(popup);
    g_keep.emplace_back(choice);
    auto *config = new TConfig(settings, prompt, accounts, choice, {}, {});
    g_keep.emplace_back(config);
    config->Prepare();
    const char *const pages[] = {"config-user", "config-ftp", "config-camera", "config-info"};
    auto *tabs = config->findChild<QTabWidget *>(QStringLiteral("pcConfig"));
    for (int i = 0; i < 4; ++i) {
        tabs->setCurrentIndex(i);
        save(config, QLatin1String(pages[i]));
    }
    tabs->setCurrentIndex(0);

    choice->Prepare(
        {{QStringLiteral("山田 太郎"), QStringLiteral("taro@example.jp"), QStringLiteral("smtp.example.jp"),
          QStringLiteral("pop.example.jp"), QStringLiteral("taro"), QStringLiteral("taro"),
          QStringLiteral("自宅 (taro@example.jp)")},
         {QStringLiteral("Taro Yamada"), QStringLiteral("yamada@example.com"),
          QStringLiteral("smtp.example.com"), QString(), QString(), QStringLiteral("yamada"),
          QStringLiteral("仕事")}});
    save(choice, "account");
}

void addressBook(Prompt &prompt)
{
    static TUserData settings;
    settings.UseServer = true;
    static TAddressBook book(QDir::tempPath());
    const struct
    {
        const char *name;
        const char *address;
        int preset;
    } people[] = {{"山田 花子", "hanako@docomo.ne.jp", 1},
                  {"佐藤 一郎", "ichiro@ezweb.ne.jp", 2},
                  {"鈴木 次郎", "jiro@softbank.ne.jp", 3},
                  {"田中 三郎", "saburo@example.jp", 0}};
    for (const auto &p : people) {
        TMailAddress e;
        e.Name = QString::fromUtf8(p.name);
        e.Address = QString::fromUtf8(p.address);
        e.SizePreset = qint8(p.preset);
        e.Width = 200;
        e.Height = 260;
        book.Append(e);
    }
    auto *popup = new TPopupListBox;
    auto *dialog = new TAddress(settings, prompt, popup);
    g_keep.emplace_back(dialog);
    g_keep.emplace_back(popup); // the dialog's lists use it until the dialog is gone
    dialog->Prepare(book);
    save(dialog, "address-list");
    // The third entry has the user size: the size fields are enabled.
    auto *list = dialog->findChild<QListWidget *>(QStringLiteral("lbxAddress"));
    list->setCurrentRow(2);
    Q_EMIT dialog->findChild<TLabeledBmpBtn *>(QStringLiteral("btnEdit"))->clicked();
    save(dialog, "address-edit");
    list->setCurrentRow(0);
    Q_EMIT dialog->findChild<TLabeledBmpBtn *>(QStringLiteral("btnEditCancel"))->clicked();
    Q_EMIT dialog->findChild<TLabeledBmpBtn *>(QStringLiteral("btnEdit"))->clicked();
    save(dialog, "address-edit-preset");
}

// The thumbnail picker over a folder of photographs, the loading window half way, and the media
// search's list.
void pickerWindows(Prompt &prompt)
{
    QTemporaryDir folder;
    JpegEncoder encoder;
    const char *names[] = {"DSC_0001", "DSC_0002", "DSC_0003", "IMG_20240501_101530", "夏の海", "DSC_0006",
                           "DSC_0007", "DSC_0008", "DSC_0009"};
    for (int i = 0; i < 9; ++i) {
        const bool tall = i % 4 == 2;
        const auto bytes
            = encoder.encode(testpictures::photo(tall ? 300 : 400, tall ? 400 : 300, quint32(i + 3)), 85);
        QFile file(folder.filePath(QString::fromUtf8(names[i]) + QStringLiteral(".jpg")));
        if (bytes && file.open(QIODevice::WriteOnly))
            file.write(*bytes);
    }
    auto *loading = new TLoadingThumbnail;
    g_keep.emplace_back(loading);
    loading->Begin(9);
    loading->ShowTile(
        TConvertJpeg::MakeThumbnail(folder.filePath(QStringLiteral("DSC_0002.jpg"))).value_or(Bitmap()), 4);
    save(loading, "loading");
    loading->End();

    auto *picker = new TThumbnail(prompt, *loading);
    g_keep.emplace_back(picker);
    // The tiles are made with the event loop running: wait for the grid itself.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, picker, [picker, &poll] {
        if (!picker->isVisible())
            return;
        poll.stop();
        picker->imgThumbnailMouseDown(QPoint(80 + 30, 30));
        save(picker, "thumbnails");
        picker->reject();
    });
    poll.start(5);
    picker->ShowForFolder(folder.path());

    auto *find = new TFindFolder;
    g_keep.emplace_back(find);
    QTimer::singleShot(0, find, [find] {
        save(find, "find-folder");
        find->reject();
    });
    find->ChooseDcfFolder({QStringLiteral("/media/taro/NIKON D90/DCIM/100NCD90"),
                           QStringLiteral("/media/taro/NIKON D90/DCIM/101NCD90"),
                           QStringLiteral("/run/media/taro/SDCARD/DCIM/100CANON")});
}

} // namespace

int main(int argc, char **argv)
{
    Application app(argc, argv);
    ApplyProgramFont(app);
    // The windows go before the application does.
    struct Release
    {
        ~Release() { g_keep.clear(); }
    } release;
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tavrin-gallery OUTDIR [--stay]\n");
        return 2;
    }
    g_out = args.at(1);
    QDir().mkpath(g_out);

    save(messageBox(QStringLiteral("送信しますか？"), Msg::IconQuestion, Msg::ButtonsYesNo),
         "msgbox-question");
    save(messageBox(QStringLiteral("撮影予約モードでは、ＦＴＰサーバーを使用する宛先には送信できません。"),
                    Msg::IconExclamation, Msg::ButtonsOk),
         "msgbox-long");
    save(messageBox(QStringLiteral("SMTPエラー：\nSocket Error # 10061\r\nConnection refused."),
                    Msg::IconError, Msg::ButtonsOkCancel),
         "msgbox-error");
    save(messageBox(QStringLiteral("送信が完了しました。"), Msg::IconInformation, Msg::ButtonsOk),
         "msgbox-info");
    save(messageBox(QStringLiteral("SMTPサーバー smtp.example.jp（ポート 587）\n"
                                   "暗号化：なし（サーバーはSTARTTLSに対応しています）\n"
                                   "認証方式：LOGIN PLAIN CRAM-MD5\n"
                                   "失敗：[535] 5.7.8 Authentication credentials invalid\n"
                                   "POP3サーバー pop.example.jp（ポート 110）\n"
                                   "暗号化：TLSv1.3\n"
                                   "ログイン：成功"),
                    Msg::IconError, Msg::ButtonsOk),
         "msgbox-connection-test");

    UiPrompt prompt(nullptr); // the size dialog's messages go to the platform's box here
    auto *size = new TSetPictureSize(prompt);
    size->Prepare(QStringLiteral(" 240"), QStringLiteral(" 320"));
    g_keep.emplace_back(size);
    save(size, "picture-size");

    auto *color = new TSelectColor;
    color->Prepare(0x3080FF);
    g_keep.emplace_back(color);
    save(color, "colour");

    SaveMainWindowScenes(g_out);
    settingsPages(prompt, nullptr);
    addressBook(prompt);

    static MailClients clients;
    auto *sending = new TSending(clients);
    sending->ShowWindow();
    sending->ShowSendingStatus(QStringLiteral("SMTPサーバーに接続しています…"));
    sending->SetProgressRange(0, 9000);
    sending->SetProgressPosition(3600);
    g_keep.emplace_back(sending);
    save(sending, "sending");

    auto *dun = new TDUNSelect;
    dun->Prepare({QStringLiteral("provider"), QStringLiteral("ドコモ mopera"), QStringLiteral("PPPoE flets")},
                 1);
    g_keep.emplace_back(dun);
    save(dun, "dun-select");

    save(buttonRow(), "buttons");
    QWidget *controls = flatControls();
    save(controls, "flat-controls");
    if (auto *combo = controls->findChild<FlatComboBox *>()) {
        combo->DropDown();
        QCoreApplication::processEvents();
        if (auto *popup = qobject_cast<TPopupListBox *>(QApplication::activePopupWidget()))
            popup->grab().save(QDir(g_out).filePath(QStringLiteral("popup.png")));
        combo->hidePopup();
    }

    SaveCameraSamples(g_out, save, [](QWidget *w) { g_keep.emplace_back(w); });
    pickerWindows(prompt);

    if (!args.contains(QStringLiteral("--stay")))
        return 0;
    // Spread over the screen for a picture of the whole display.
    int x = 0, y = 0, rowHeight = 0;
    for (const auto &w : g_keep) {
        if (w->isWindow() && w->windowType() != Qt::Popup && w->isVisible()) {
            if (x + w->frameGeometry().width() > 1024)
                x = 0, y += rowHeight + 4, rowHeight = 0;
            w->move(x, y);
            x += w->frameGeometry().width() + 4;
            rowHeight = qMax(rowHeight, w->frameGeometry().height());
        }
    }
    return app.exec();
}
