// Sending through the real main window, its recipient pane and the sending window, to an aiosmtpd
// server started by the test: a framed picture to a recipient and two further recipients, each
// getting its own picture size within its budget; and a refused recipient that keeps nothing.
#include "common/UserData.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SendingUnit.h"
#include "mail/AddressBook.h"
#include "mail/Carrier.h"
#include "mail/MailClients.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/model/RecipientModel.h"
#include "picture/BmpFile.h"
#include "picture/JpegCodec.h"
#include "support/Entries.h"
#include "support/Files.h"
#include "support/MainFakes.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatListBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testentries::Entry;

using S = ScriptedPrompt;

// aiosmtpd in a process of its own (tests/integration/servers.py), storing what it receives.
class SmtpProcess
{
public:
    SmtpProcess(const QString &store, const QStringList &refuse = {})
    {
        QStringList args {testfiles::source("tests/integration/servers.py"), "smtp", "--store", store};
        for (const QString &r : refuse)
            args << "--refuse" << r;
        m_process.start("/usr/bin/python3", args);
        if (m_process.waitForReadyRead(20000))
            port = m_process.readLine().trimmed().toInt();
    }
    ~SmtpProcess()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(10000))
            m_process.kill();
    }
    int port = 0;

private:
    QProcess m_process;
};

// The base64 body of the message's image/jpeg part.
QByteArray attachment(const QByteArray &message)
{
    const qsizetype at = message.indexOf("Content-Type: image/jpeg");
    if (at < 0)
        return {};
    const qsizetype start = message.indexOf("\r\n\r\n", at);
    const qsizetype end = message.indexOf("\r\n--", start);
    return QByteArray::fromBase64(message.mid(start + 4, end - start - 4).replace("\r\n", ""));
}

class SendThroughWindowTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
        ASSERT_TRUE(SaveBmpFile(work.filePath("photo.bmp"), testpictures::photo(800, 600, 5)));
        TAddressBook book(workFolder());
        book.Append(Entry("Taro", "taro@docomo.ne.jp", 2, 2, 240, 320));
        book.Append(Entry("Hanako", "hanako@ezweb.ne.jp", 1, 2, 132, 176));
        book.Append(Entry("Jiro", "jiro@example.jp", 3, 2, 180, 240));
        book.Save("Tavrin.ADX");
        settings.FromName = "Me";
        settings.SMTPServer = "127.0.0.1";
        settings.Connect = true;
        settings.MailEncryption = EncryptionMode::None;
        dialogs.pictureToOpen = work.filePath("photo.bmp");
    }

    TMain &make(int port)
    {
        settings.SMTPPort = port;
        MainModel::Services services;
        services.clients = &clients;
        services.sendingWindow = &sending;
        makeMain({}, services);
        return showMain();
    }
    void click(const char *name)
    {
        auto *b = main->findChild<TBmpBtn *>(QLatin1String(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, 4));
    }
    // From the picture on the canvas to the mail text, Taro as the recipient.
    void toMailText(const QList<int> &further)
    {
        click("btnOpenDialog");
        click("btnFwd");
        dialogs.chosenAddresses = {0};
        click("btnAddressMail");
        for (int index : further) {
            dialogs.chosenAddresses = {index};
            click("btnAddCC");
        }
        click("btnFwd");
        ASSERT_TRUE(main->findChild<QWidget *>("pnlEditMail")->isVisible());
    }
    QList<QByteArray> received(int count)
    {
        // The server stores what it got a moment after the client has gone.
        QList<QByteArray> out;
        for (int tries = 0; tries < 100 && out.size() < count; ++tries) {
            out.clear();
            for (int i = 0; QFile::exists(store.filePath(QString("%1.eml").arg(i))); ++i)
                out << testfiles::read(store.filePath(QString("%1.eml").arg(i)));
            QTest::qWait(50);
        }
        return out;
    }

    QTemporaryDir store;
    MailClients clients;
    TSending sending {clients};
};

TEST_F(SendThroughWindowTest, EachRecipientGetsItsOwnPictureWithinItsBudget)
{
    SmtpProcess server(store.path());
    ASSERT_GT(server.port, 0);
    make(server.port);
    toMailText({1, 2});
    QStringList statuses;
    bool windowDisabled = false;
    prompt.onShow = [&](const S::Shown &) {
        windowDisabled = windowDisabled || !main->isEnabled();
    };
    prompt.Answer(Msg::Yes); // send?
    prompt.Answer(Msg::No); // (not asked: the recipient is in the address book)
    click("btnFwd");

    EXPECT_EQ(prompt.Texts().first(), "送信しますか？");
    EXPECT_TRUE(prompt.Texts().contains("送信しました。")) << prompt.Texts().join('|').toStdString();
    EXPECT_TRUE(main->isEnabled());
    EXPECT_TRUE(main->findChild<QWidget *>("pnlCommandPicture")->isVisible());

    const QList<QByteArray> messages = received(3);
    ASSERT_EQ(messages.size(), 3);
    const struct
    {
        QString address;
        int width, height;
    } expected[]
        = {{"taro@docomo.ne.jp", 240, 320}, {"hanako@ezweb.ne.jp", 132, 176}, {"jiro@example.jp", 180, 240}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(expected[i].address.toStdString());
        EXPECT_TRUE(messages[i].contains(("To: " + expected[i].address).toLatin1())
                    || messages[i].contains(("<" + expected[i].address + ">").toLatin1()));
        const QByteArray jpeg = attachment(messages[i]);
        const std::optional<JpegSize> size = ReadJpegHeader(jpeg);
        ASSERT_TRUE(size);
        EXPECT_EQ(size->width, expected[i].width);
        EXPECT_EQ(size->height, expected[i].height);
        TMailAddress recipient = Entry("", expected[i].address, 2, 2, expected[i].width, expected[i].height);
        EXPECT_LE(jpeg.size(), ByteBudget(recipient));
    }
    // The picture of the last message is kept in the sent folder, and Taro heads the history.
    EXPECT_EQ(QDir(work.filePath("Recent")).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(QFile::exists(work.filePath("tmp.jpg")));
    ASSERT_GT(main->Model().History().Count(), 0);
    EXPECT_EQ(main->Model().History().Get(0).Address, "taro@docomo.ne.jp");
}

TEST_F(SendThroughWindowTest, FurtherRecipientsGoWithTheirSendAndNotWithTheNextPicture)
{
    SmtpProcess server(store.path());
    ASSERT_GT(server.port, 0);
    make(server.port);
    toMailText({1});
    prompt.Answer(Msg::Yes);
    click("btnFwd");
    ASSERT_TRUE(prompt.Texts().contains("送信しました。")) << prompt.Texts().join('|').toStdString();
    ASSERT_EQ(received(2).size(), 2);

    // The next picture: the recipient step starts without the further recipient.
    click("btnOpenDialog");
    click("btnFwd");
    auto *cc = main->findChild<FlatListBox *>("lbxCC");
    ASSERT_TRUE(cc->isVisible());
    EXPECT_EQ(cc->count(), 0);
    EXPECT_TRUE(main->Model().Recipient().CC().isEmpty());
    EXPECT_FALSE(main->findChild<TBmpBtn *>("btnDelCC")->isEnabled());
    dialogs.chosenAddresses = {0};
    click("btnAddressMail");
    click("btnFwd");
    prompt.Answer(Msg::Yes);
    click("btnFwd");
    const QList<QByteArray> messages = received(3);
    QTest::qWait(300); // a fourth message would have arrived by now
    ASSERT_EQ(received(3).size(), 3);
    EXPECT_TRUE(messages[2].contains("taro@docomo.ne.jp"));
}

TEST_F(SendThroughWindowTest, ARefusedRecipientEndsTheRunWithNothingKept)
{
    SmtpProcess server(store.path(), {"taro@docomo.ne.jp=550 5.1.1 No such user"});
    ASSERT_GT(server.port, 0);
    make(server.port);
    toMailText({});
    prompt.Answer(Msg::Yes);
    click("btnFwd");

    EXPECT_EQ(prompt.History(),
              (QList<S::Shown> {
                  S::Message("送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo),
                  S::Message("[550] サーバーがメールを拒否しました。設定を確認して下さい。", Msg::IconError),
                  S::Message("送信に失敗しました。", Msg::IconError)}));
    EXPECT_TRUE(main->findChild<QWidget *>("pnlEditMail")->isVisible()); // still at the mail text
    EXPECT_TRUE(main->isEnabled());
    EXPECT_FALSE(QDir(work.filePath("Recent")).exists());
    EXPECT_EQ(main->Model().History().Count(), 0);
    EXPECT_TRUE(received(1).isEmpty());
}

} // namespace
