// What a window shows is what its model holds: every edit field and editable list of every window,
// reached by every route a text can take into it.
#include "widgets/Binding.h"
#include "common/UserData.h"
#include "dialogs/AccountUnit.h"
#include "dialogs/AddressUnit.h"
#include "dialogs/ConfigUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "mail/AddressBook.h"
#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/RecipientModel.h"
#include "picture/BmpFile.h"
#include "platform/null/NullMailAccountStore.h"
#include "support/Entries.h"
#include "support/MainWindowFixture.h"
#include "support/Pictures.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"

#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testentries::Entry;

enum class Route { Keys, EditableText, AccessibleValue, Paste, InputMethod, Program };

const struct
{
    Route route;
    const char *name;
} kRoutes[] = {
    {Route::Keys, "keys"},
    {Route::EditableText, "editable text interface"},
    {Route::AccessibleValue, "accessible value"},
    {Route::Paste, "paste"},
    {Route::InputMethod, "input method"},
    {Route::Program, "program"},
};

// Every text control below a window: line edits (the editable lists' own too) and memos.
QList<QWidget *> textControls(QWidget *window)
{
    QList<QWidget *> out;
    for (QLineEdit *edit : window->findChildren<QLineEdit *>())
        out << edit;
    for (QPlainTextEdit *memo : window->findChildren<QPlainTextEdit *>())
        out << memo;
    return out;
}

QString nameOf(const QWidget *control)
{
    // An editable list's edit field has no name of its own.
    if (auto *box = qobject_cast<QComboBox *>(control->parentWidget()); box && box->lineEdit() == control)
        return box->objectName();
    return control->objectName();
}

bool readOnly(const QWidget *control)
{
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        return edit->isReadOnly();
    return static_cast<const QPlainTextEdit *>(control)->isReadOnly();
}

void selectAll(QWidget *control)
{
    if (auto *edit = qobject_cast<QLineEdit *>(control))
        edit->selectAll();
    else
        static_cast<QPlainTextEdit *>(control)->selectAll();
}

// Puts text into the control by one route, replacing what it held.
void enter(QWidget *control, Route route, const QString &text)
{
    auto *edit = qobject_cast<QLineEdit *>(control);
    auto *memo = qobject_cast<QPlainTextEdit *>(control);
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control);
    switch (route) {
    case Route::Keys: {
        // An editable list takes the keys itself and hands them to its field.
        QWidget *target = control;
        if (auto *box = qobject_cast<QComboBox *>(control->parentWidget()); box && box->lineEdit() == control)
            target = box;
        selectAll(control);
        QTest::keyClick(target, Qt::Key_Delete);
        QTest::keyClicks(target, text);
        break;
    }
    case Route::EditableText: {
        ASSERT_NE(iface, nullptr);
        QAccessibleEditableTextInterface *editable = iface->editableTextInterface();
        ASSERT_NE(editable, nullptr) << nameOf(control).toStdString();
        editable->replaceText(0, iface->textInterface()->characterCount(), text);
        break;
    }
    case Route::AccessibleValue:
        ASSERT_NE(iface, nullptr);
        iface->setText(QAccessible::Value, text);
        break;
    case Route::Paste:
        QGuiApplication::clipboard()->setText(text);
        selectAll(control);
        // What the context menu's paste item does.
        if (edit)
            edit->paste();
        else
            memo->paste();
        break;
    case Route::InputMethod: {
        selectAll(control);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(control, &commit);
        break;
    }
    case Route::Program:
        if (edit)
            edit->setText(text);
        else
            memo->setPlainText(text);
        break;
    }
}

class BindingTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
        // Every field the settings enable by these choices takes text.
        settings.UseSMTPAuth = true;
        settings.UseServer = true;
        makeMain({});
        // The panes that start hidden are there once the window has shown.
        showMain();
        ASSERT_NE(main->findChild<QWidget *>("pnlEditMail"), nullptr);
        config = std::make_unique<TConfig>(
            settings, prompt, accounts, nullptr, [] {}, [] {});
        config->Prepare();
        address = std::make_unique<TAddress>(settings, prompt, &popup);
        book.Append(Entry("Taro", "taro@docomo.ne.jp", 3, 2, 180, 240));
        address->Prepare(book);
        pictureSize = std::make_unique<TSetPictureSize>(prompt);
        pictureSize->Prepare(QStringLiteral("200"), QStringLiteral("300"));
        account = std::make_unique<TAccount>(&popup);
        MailAccount a;
        a.AccountName = "Work";
        a.SMTPDisplayName = "Taro";
        a.SMTPServer = "smtp.example.jp";
        account->Prepare({a});
    }

    QList<QWidget *> windows() const
    {
        return {main.get(), config.get(), address.get(), pictureSize.get(), account.get()};
    }

    NullMailAccountStore accounts;
    TAddressBook book {QString()};
    std::unique_ptr<TConfig> config;
    std::unique_ptr<TAddress> address;
    std::unique_ptr<TSetPictureSize> pictureSize;
    std::unique_ptr<TAccount> account;
};

TEST_F(BindingTest, EveryTextControlOfEveryWindowHoldsWhatItShowsWhateverTheRoute)
{
    QStringList writable;
    for (QWidget *window : windows()) {
        const QList<QWidget *> controls = textControls(window);
        ASSERT_FALSE(controls.isEmpty()) << window->metaObject()->className();
        for (QWidget *control : controls) {
            const std::string name = (window->objectName() + "/" + nameOf(control)).toStdString();
            SCOPED_TRACE(name);
            // A control without the binding would let its model miss what it shows.
            TextBinding *binding = TextBinding::Of(control);
            ASSERT_NE(binding, nullptr) << name << " has no binding";
            const bool takes = control->isEnabled() && !readOnly(control);
            if (takes)
                writable << nameOf(control);
            int n = 0;
            for (const auto &r : kRoutes) {
                SCOPED_TRACE(r.name);
                const QString before = binding->ControlText();
                const QString text = QStringLiteral("abc%1").arg(++n);
                enter(control, r.route, text);
                EXPECT_EQ(binding->ModelText(), binding->ControlText());
                // What takes text took this one; what only shows kept what it showed.
                if (takes) {
                    EXPECT_EQ(binding->ControlText(), text);
                } else if (readOnly(control)) {
                    EXPECT_EQ(binding->ControlText(), before);
                }
            }
        }
    }
    // The loop reached every field that takes text.
    writable.sort();
    EXPECT_EQ(
        writable.join(' ').toStdString(),
        "cbxAddressMail cbxFolder cbxNameMail edFTPFolder edFTPHost edFTPPassword edFTPPort edFTPUrl "
        "edFTPUserID edFingerprint edFromAddress edFromName edPassWord edSMTPPort edSMTPServer "
              "edSignInClientID edSignInClientSecret edUserID "
        "edtAddress edtBody edtHeight edtName edtSubject edtWidth");
}

TEST_F(BindingTest, TheSubjectKeepsThirtySixBytesByEveryRoute)
{
    auto *subject = child<QLineEdit>("edtSubject");
    TextBinding *binding = TextBinding::Of(subject);
    ASSERT_NE(binding, nullptr);
    const QString long20 = QString(20, QChar(0x3042)); // 40 bytes in the system code page
    const QString fitted = QString(18, QChar(0x3042));
    for (const auto &r : kRoutes) {
        if (r.route == Route::Keys)
            continue; // the test's key events carry ASCII only; typing is covered elsewhere
        SCOPED_TRACE(r.name);
        enter(subject, Route::Program, QString());
        enter(subject, r.route, long20);
        EXPECT_EQ(subject->text(), fitted);
        EXPECT_EQ(main->Model().Subject(), fitted);
    }
}

// Each drop-down list reads its shown text as its value, with its current item selected.
TEST_F(BindingTest, EveryDropDownListReadsItsShownTextAfterAPickAndAfterTheProgram)
{
    int lists = 0;
    for (QWidget *window : windows()) {
        for (FlatComboBox *list : window->findChildren<FlatComboBox *>()) {
            if (list->count() == 0)
                continue;
            SCOPED_TRACE(list->objectName().toStdString());
            ++lists;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(list);
            ASSERT_NE(iface, nullptr);
            const QString label = iface->text(QAccessible::Name);
            auto check = [&] {
                EXPECT_EQ(iface->text(QAccessible::Value), list->Text());
                ASSERT_NE(iface->textInterface(), nullptr);
                EXPECT_EQ(iface->textInterface()->text(0, -1), list->Text());
                // The name stays the label's, whatever is chosen.
                EXPECT_EQ(iface->text(QAccessible::Name), label);
                QAccessibleInterface *items = iface->child(0);
                ASSERT_NE(items, nullptr);
                QStringList selected;
                for (int i = 0; i < items->childCount(); ++i)
                    if (items->child(i)->state().selected)
                        selected << items->child(i)->text(QAccessible::Name);
                if (list->ItemIndex() >= 0) {
                    EXPECT_EQ(selected, QStringList {list->itemText(list->ItemIndex())});
                } else {
                    EXPECT_TRUE(selected.isEmpty());
                }
            };
            // A pick as the list window makes it (not the user size, which asks for a size).
            const int picked = list->count() > 1 ? 1 : 0;
            list->SetItemIndex(picked);
            list->SetText(list->itemText(picked));
            check();
            // The program selects another.
            list->SetItemIndex(0);
            check();
        }
    }
    EXPECT_GE(lists, 8);
}

} // namespace

namespace {

// The main window shown over a history of one recipient, with a picture to open.
class TypedListsTest : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(MainWindowFixture::SetUp());
        ASSERT_TRUE(SaveBmpFile(work.filePath("photo.bmp"), testpictures::photo(320, 240, 1)));
        TAddressBook history(workFolder());
        history.Append(Entry("Hanako", "hanako@ezweb.ne.jp", 2, 2, 240, 320));
        history.Save("History.ADX");
        dialogs.pictureToOpen = work.filePath("photo.bmp");
        makeMain({});
        showMain();
    }
    void click(const char *name)
    {
        QTest::mouseClick(child<QWidget>(name), Qt::LeftButton, {}, QPoint(4, 4));
    }
    RecipientModel &recipient() { return main->Model().Recipient(); }
};

TEST_F(TypedListsTest, TypingInAHistoryListIsNeitherCompletedNorAddedNorAPick)
{
    click("btnOpenDialog");
    click("btnFwd");
    auto *address = child<FlatComboBox>("cbxAddressMail");
    ASSERT_TRUE(address->isVisible());
    ASSERT_EQ(address->Items(), QStringList {"hanako@ezweb.ne.jp"});
    address->setFocus();
    QTest::keyClicks(address, "han");
    // What is shown is what was typed, and what the send would use.
    EXPECT_EQ(address->lineEdit()->text(), "han");
    EXPECT_EQ(recipient().AddressText(), "han");
    // Enter adds no item and picks nothing.
    QTest::keyClick(address, Qt::Key_Return);
    EXPECT_EQ(address->Items(), QStringList {"hanako@ezweb.ne.jp"});
    EXPECT_EQ(address->lineEdit()->text(), "han");
    EXPECT_EQ(recipient().Current(), nullptr);
    EXPECT_FALSE(recipient().AddCCEnabled());
    // Typing an item's whole text and leaving the field is no pick either.
    QTest::keyClicks(address, "ako@ezweb.ne.jp");
    child<QWidget>("cbxNameMail")->setFocus();
    EXPECT_EQ(recipient().AddressText(), "hanako@ezweb.ne.jp");
    EXPECT_EQ(recipient().NameText(), "");
    EXPECT_EQ(recipient().Current(), nullptr);
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST_F(TypedListsTest, EnterInTheFolderBoxChoosesTheTypedFolder)
{
    auto *folder = child<FlatComboBox>("cbxFolder");
    folder->setFocus();
    QTest::keyClicks(folder, work.filePath("none"));
    EXPECT_TRUE(prompt.History().isEmpty()); // typing alone runs nothing
    QTest::keyClick(folder, Qt::Key_Return);
    EXPECT_EQ(prompt.History(),
              (QList<ScriptedPrompt::Shown> {
                  ScriptedPrompt::Message("指定されたフォルダがありません。", Msg::IconExclamation)}));
    EXPECT_EQ(folder->lineEdit()->text(), work.filePath("none"));
    EXPECT_EQ(main->Model().FileSource().FolderText(), work.filePath("none"));
    EXPECT_EQ(folder->count(), 0); // a folder that did not open is not remembered
}

} // namespace
