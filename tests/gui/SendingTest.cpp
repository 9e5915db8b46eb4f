// The sending window: its layout, and a cancel that breaks the connection of the client in use.

#include "dialogs/SendingUnit.h"
#include "mail/Delivery.h"
#include "mail/MailClients.h"
#include "support/AccessibleNames.h"
#include "support/ScriptedServer.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class SendingTest : public ::testing::Test
{
protected:
    template<class T> T *child(const char *name)
    {
        T *w = sending.findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void clickCancel()
    {
        QTest::mouseClick(child<TLabeledBmpBtn>("btnCancel"), Qt::LeftButton, {}, QPoint(10, 10));
    }

    MailClients clients;
    TSending sending {clients};
};

TEST_F(SendingTest, LayoutAndColours)
{
    EXPECT_EQ(sending.size(), QSize(204, 154));
    EXPECT_TRUE(sending.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(sending.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(child<QWidget>("pnlBase")->geometry(), QRect(0, 0, 204, 154));
    EXPECT_EQ(child<QLabel>("imgBack")->geometry(), QRect(1, 1, 202, 152));
    auto *bar = child<FlatProgressBar>("pbSending");
    EXPECT_EQ(bar->geometry(), QRect(62, 41, 80, 9));
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    auto *status = child<QLabel>("lbStatus");
    EXPECT_EQ(status->geometry(), QRect(8, 100, 193, 12));
    EXPECT_EQ(status->alignment(), Qt::AlignCenter);
    EXPECT_EQ(status->palette().color(QPalette::WindowText), QColor(255, 128, 64));
    EXPECT_EQ(status->text(), QString());
    auto *cancel = child<TLabeledBmpBtn>("btnCancel");
    EXPECT_EQ(cancel->geometry(), QRect(61, 118, 80, 24));
    EXPECT_EQ(cancel->LabelText(), QStringLiteral("　　中止"));

    // The bar in its colours: half of the 78 inner pixels at 50 of 100.
    sending.SetProgressPosition(50);
    const QImage picture = bar->grab().toImage();
    EXPECT_EQ(QColor(picture.pixel(0, 0)), QColor(255, 155, 255));
    EXPECT_EQ(QColor(picture.pixel(1, 4)), QColor(127, 0, 30));
    EXPECT_EQ(QColor(picture.pixel(39, 4)), QColor(127, 0, 30));
    EXPECT_EQ(QColor(picture.pixel(40, 4)), QColor(Qt::white));
}

TEST_F(SendingTest, ProgressStaysWithinItsRange)
{
    sending.SetProgressRange(0, 9000);
    sending.SetProgressPosition(4500);
    EXPECT_EQ(sending.ProgressMaximum(), 9000);
    sending.SetProgressPosition(12000);
    EXPECT_EQ(child<FlatProgressBar>("pbSending")->value(), 9000);
    sending.ShowSendingStatus(QStringLiteral("メール送信中…"));
    EXPECT_EQ(child<QLabel>("lbStatus")->text(), QStringLiteral("メール送信中…"));
}

TEST_F(SendingTest, ControlsAreNamedForScreenReaders)
{
    sending.ShowSendingStatus(QStringLiteral("SMTPサーバーに接続しています…"));
    const testaccess::Control controls[] = {
        {"pbSending", QAccessible::ProgressBar, "送信の進み具合"},
        {"lbStatus", QAccessible::StaticText, "SMTPサーバーに接続しています…"},
    };
    testaccess::ExpectControls(&sending, controls);
    QAccessibleInterface *cancel = QAccessible::queryAccessibleInterface(child<QWidget>("btnCancel"));
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(QAccessible::Name), QStringLiteral("中止"));
}

TEST_F(SendingTest, ShowingClearsTheCancelledFlagAndCancelBreaksTheActiveConnection)
{
    ScriptedServer server;
    server.Send("220 ready\r\n").ReadLine().Send("250 ok\r\n").ReadLine();
    server.Start();
    clients.IdSMTP.Host = QStringLiteral("127.0.0.1");
    clients.IdSMTP.Port = server.Port();
    clients.IdSMTP.Connect();
    ASSERT_TRUE(clients.IdSMTP.Connected());

    sending.ShowWindow();
    EXPECT_TRUE(sending.IsShowing());
    EXPECT_FALSE(sending.Cancelled());
    sending.SetActiveClient(MailClients::Smtp);
    clickCancel();

    EXPECT_TRUE(sending.Cancelled());
    EXPECT_FALSE(sending.IsShowing());
    EXPECT_FALSE(clients.IdSMTP.Connected());
    EXPECT_EQ(server.Error(), QString());

    sending.ShowWindow();
    EXPECT_FALSE(sending.Cancelled());
    // With no client in use, cancel only sets the flag; Esc does what the button does.
    sending.SetActiveClient(MailClients::None);
    QTest::keyClick(&sending, Qt::Key_Escape);
    EXPECT_TRUE(sending.Cancelled());
    EXPECT_FALSE(sending.IsShowing());
}

TEST_F(SendingTest, ItIsCentredOverTheWindowItIsGiven)
{
    QWidget main;
    main.setGeometry(100, 80, 514, 338);
    main.show();
    TSending over(clients, &main);
    over.ShowWindow();
    const QRect frame = main.frameGeometry();
    EXPECT_EQ(over.pos(),
              QPoint(frame.x() + (frame.width() - 204) / 2, frame.y() + (frame.height() - 154) / 2));
    // Shown with its background.
    EXPECT_EQ(over.findChild<QLabel *>("imgBack")->pixmap().size(), QSize(202, 152));
}

} // namespace
