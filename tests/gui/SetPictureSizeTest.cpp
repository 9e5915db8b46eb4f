#include "dialogs/SetPictureSizeUnit.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kInvalid = QString::fromUtf8("入力文字が不正です。");
const QString kWidthRange = QString::fromUtf8("画像の横幅は１２０－２４０ドットの間で指定して下さい。");
const QString kHeightRange = QString::fromUtf8("画像の高さは１２０－３２０ドットの間で指定して下さい。");

TEST(ReadDecimal, TakesLeadingBlanksASignAndDigitsOnly)
{
    const struct
    {
        QString text;
        std::optional<int> value;
    } cases[] = {
        {" 240", 240},
        {"120", 120},
        {"   7", 7},
        {"+130", 130},
        {"-5", -5},
        {"0012", 12},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {"130abc", std::nullopt},
        {"12 ", std::nullopt},
        {"1 2", std::nullopt},
        {"\t12", std::nullopt},
        {"0x10", std::nullopt},
        {"１３０", std::nullopt},
        {"99999999999", std::nullopt},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(ReadDecimal(c.text), c.value);
    }
}

class SetPictureSizeTest : public ::testing::Test
{
protected:
    FlatEdit *field(const char *name) { return dialog.findChild<FlatEdit *>(QLatin1String(name)); }
    void click(const char *name)
    {
        QTest::mouseClick(dialog.findChild<TLabeledBmpBtn *>(QLatin1String(name)), Qt::LeftButton, {},
                          QPoint(5, 5));
    }
    // Types the text; what the keyboard cannot type (full-width digits) comes in as a paste would.
    void type(const char *name, const QString &text)
    {
        field(name)->clear();
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(field(name), text);
        else
            field(name)->insert(text);
    }

    // Asks with the two texts and runs `script` while the dialog shows.
    QSize ask(const QString &width, const QString &height, std::function<void()> script)
    {
        QTimer::singleShot(0, [this, script] {
            shown = dialog.isVisible();
            script();
        });
        return dialog.Ask(width, height);
    }

    ScriptedPrompt prompt;
    TSetPictureSize dialog {prompt};
    bool shown = false;
};

TEST_F(SetPictureSizeTest, StartsFromTheTextsItIsGivenAndAcceptsTheLargestSize)
{
    EXPECT_EQ(dialog.size(), QSize(127, 88));
    EXPECT_EQ(dialog.windowTitle(), "タブリン");
    EXPECT_EQ(field("edtWidth")->text(), " 240");
    EXPECT_EQ(field("edtHeight")->text(), " 320");
    EXPECT_EQ(field("edtWidth")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(field("edtWidth")->width(), 29);
    EXPECT_FALSE(field("edtWidth")->testAttribute(Qt::WA_InputMethodEnabled));

    QString width, height;
    const QSize size = ask(" 240", " 320", [&] {
        width = field("edtWidth")->text();
        height = field("edtHeight")->text();
        click("btnOk");
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(width, " 240");
    EXPECT_EQ(height, " 320");
    EXPECT_EQ(size, QSize(240, 320));
    EXPECT_TRUE(prompt.History().isEmpty());

    EXPECT_EQ(ask("120", "120", [&] { click("btnOk"); }), QSize(120, 120));
    // Enter in a field does what the 決定 button does.
    EXPECT_EQ(ask("150", "180", [&] { QTest::keyClick(field("edtHeight"), Qt::Key_Return); }),
              QSize(150, 180));
}

TEST_F(SetPictureSizeTest, RefusesAWidthOutsideItsRangeOrNotANumberAndStaysOpen)
{
    const struct
    {
        QString width;
        QString message;
        QString left; // the width field after the refusal
    } cases[] = {
        {"241", kWidthRange, "241"}, {"119", kWidthRange, "119"}, {"-130", kWidthRange, "-130"},
        {"130abc", kInvalid, ""},    {"", kInvalid, ""},          {"１３０", kInvalid, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width.toStdString());
        prompt.Clear();
        bool open = false;
        QString left, height;
        const QSize size = ask(" 240", " 320", [&] {
            type("edtWidth", c.width);
            type("edtHeight", "abc"); // never looked at: the width is refused first
            click("btnOk");
            open = dialog.isVisible();
            left = field("edtWidth")->text();
            height = field("edtHeight")->text();
            click("btnCancel");
        });
        EXPECT_TRUE(open);
        EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(c.message, Msg::IconExclamation)});
        EXPECT_EQ(left, c.left);
        EXPECT_EQ(height, "abc");
        EXPECT_EQ(size, QSize(0, 0));
    }
}

TEST_F(SetPictureSizeTest, AValidWidthThenLettersForTheHeight)
{
    QString width, height;
    const QSize size = ask(" 240", " 320", [&] {
        type("edtWidth", "130");
        type("edtHeight", "abc");
        click("btnOk");
        width = field("edtWidth")->text();
        height = field("edtHeight")->text();
        QTest::keyClicks(field("edtHeight"), "200");
        click("btnOk");
    });
    EXPECT_EQ(prompt.History(), QList {ScriptedPrompt::Message(kInvalid, Msg::IconExclamation)});
    EXPECT_EQ(width, "130");
    EXPECT_EQ(height, "");
    EXPECT_EQ(size, QSize(130, 200));
}

TEST_F(SetPictureSizeTest, RefusesAHeightOutsideItsRange)
{
    const QSize size = ask(" 240", " 320", [&] {
        type("edtHeight", "321");
        click("btnOk");
        type("edtHeight", "119");
        click("btnOk");
        type("edtHeight", "320");
        click("btnOk");
    });
    EXPECT_EQ(prompt.History(),
              (QList {ScriptedPrompt::Message(kHeightRange, Msg::IconExclamation),
                      ScriptedPrompt::Message(kHeightRange, Msg::IconExclamation)}));
    EXPECT_EQ(size, QSize(240, 320));
}

TEST_F(SetPictureSizeTest, CancellingOrClosingGivesZeroByZero)
{
    EXPECT_EQ(ask("200", "200", [&] { click("btnCancel"); }), QSize(0, 0));
    EXPECT_EQ(ask("200", "200", [&] { dialog.close(); }), QSize(0, 0));
    EXPECT_EQ(ask("200", "200", [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }), QSize(0, 0));
    // A refused try before the cancel leaves no size behind.
    EXPECT_EQ(ask("200", "200",
                  [&] {
                      type("edtWidth", "500");
                      click("btnOk");
                      click("btnCancel");
                  }),
              QSize(0, 0));
    EXPECT_TRUE(prompt.AllAnswersUsed());
}

} // namespace
