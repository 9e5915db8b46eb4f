#include "widgets/Accessibility.h"
#include "common/Prompt.h"
#include "dialogs/MsgBoxUnit.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/SelectColorUnit.h"
#include "dialogs/SetPictureSizeUnit.h"
#include "support/ScriptedPrompt.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatMemo.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/FlatScrollBar.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QAccessibleInterface *ax(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    EXPECT_NE(iface, nullptr) << (object ? object->objectName().toStdString() : "null");
    return iface;
}

QString nameOf(QObject *object)
{
    QAccessibleInterface *iface = ax(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
}

QStringList actionsOf(QObject *object)
{
    QAccessibleInterface *iface = ax(object);
    return iface && iface->actionInterface() ? iface->actionInterface()->actionNames() : QStringList();
}

void act(QObject *object, const QString &action)
{
    QAccessibleInterface *iface = ax(object);
    ASSERT_NE(iface->actionInterface(), nullptr);
    iface->actionInterface()->doAction(action);
}

const QString kPress = QAccessibleActionInterface::pressAction();
const QString kToggle = QAccessibleActionInterface::toggleAction();

TEST(AccessibleText, CaptionsLoseTheirLeadingBlanksAndBreakLinesWithASpace)
{
    const struct
    {
        QString caption;
        QString name;
    } captions[] = {
        {"\\n次へ", "次へ"},
        {"　決定", "決定"},
        {"高さを\\n合わせる", "高さを 合わせる"},
        {"  OK ", "OK"},
        {"カメラ 　［入］", "カメラ 　［入］"}, // blanks inside stay
        {"送信\r\nエラー\n詳細", "送信 エラー 詳細"},
        {"", ""},
    };
    for (const auto &c : captions) {
        SCOPED_TRACE(c.caption.toStdString());
        EXPECT_EQ(AccessibleCaption(c.caption), c.name);
    }
    const struct
    {
        QString label;
        QString name;
    } labels[] = {
        {"横：", "横"},
        {"宛先:", "宛先"},
        {"　縦 ： ", "縦"},
        {"件名", "件名"},
    };
    for (const auto &c : labels) {
        SCOPED_TRACE(c.label.toStdString());
        EXPECT_EQ(AccessibleLabel(c.label), c.name);
    }
}

// Each button on a window of its own, shown, as a user would meet it.
class AccessibleButton : public ::testing::Test
{
protected:
    TLabeledBmpBtn *make(const QString &caption)
    {
        auto *b = MakeDialogButton(&window, nullptr, caption, QRect(0, 0, 80, 40));
        window.show();
        b->show();
        return b;
    }

    // The signals a click sends, in order, each with whether the button was held at that moment.
    void record(TBmpBtn *b, QStringList &log)
    {
        auto held = [b] {
            auto *l = qobject_cast<TLabeledBmpBtn *>(b);
            return l && l->Holding() ? QStringLiteral("+") : QStringLiteral("-");
        };
        QObject::connect(b, &TBmpBtn::mouseDown, b, [&log, held] { log << "down" + held(); });
        QObject::connect(b, &TBmpBtn::mouseUp, b, [&log, held] { log << "up" + held(); });
        QObject::connect(b, &TBmpBtn::clicked, b, [&log, held] { log << "click" + held(); });
    }

    QWidget window;
};

TEST_F(AccessibleButton, IsAPushButtonNamedByItsCaption)
{
    for (const QString caption : {"\\n次へ", "　決定", "高さを\\n合わせる"}) {
        TLabeledBmpBtn *b = make(caption);
        EXPECT_EQ(ax(b)->role(), QAccessible::PushButton);
        EXPECT_FALSE(ax(b)->state().checkable);
        EXPECT_EQ(actionsOf(b), QStringList {kPress});
    }
    const QList<TLabeledBmpBtn *> buttons = window.findChildren<TLabeledBmpBtn *>();
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_EQ(nameOf(buttons[0]), "次へ");
    EXPECT_EQ(nameOf(buttons[1]), "決定");
    EXPECT_EQ(nameOf(buttons[2]), "高さを 合わせる");

    // A new caption is the new name.
    buttons[0]->SetLabelText(QStringLiteral("送信"));
    EXPECT_EQ(nameOf(buttons[0]), "送信");
}

TEST_F(AccessibleButton, AnExplicitNameWinsOverTheCaption)
{
    TLabeledBmpBtn *captioned = make(QStringLiteral("\\n次へ"));
    captioned->setAccessibleName(QStringLiteral("次の手順へ"));
    EXPECT_EQ(nameOf(captioned), "次の手順へ");

    // The caption-less picture buttons are named only by what they do.
    auto *plain = new TBmpBtn(&window);
    plain->SetStandardPictures(QSize(24, 24));
    EXPECT_EQ(ax(plain)->role(), QAccessible::PushButton);
    EXPECT_EQ(nameOf(plain), "");
    plain->setAccessibleName(QStringLiteral("拡大"));
    EXPECT_EQ(nameOf(plain), "拡大");
}

TEST_F(AccessibleButton, AHoldableButtonIsACheckBoxCheckedWhileHeldAndNamedByTheCaptionShown)
{
    TLabeledBmpBtn *b = make(QStringLiteral("カメラ 　［切］"));
    b->SetLabelHilite(QStringLiteral("カメラ 　［入］"));
    b->SetHold(true);
    EXPECT_EQ(ax(b)->role(), QAccessible::CheckBox);
    EXPECT_TRUE(ax(b)->state().checkable);
    EXPECT_FALSE(ax(b)->state().checked);
    EXPECT_EQ(nameOf(b), "カメラ 　［切］");
    EXPECT_EQ(actionsOf(b), (QStringList {kPress, kToggle}));

    b->SetHolding(true);
    EXPECT_TRUE(ax(b)->state().checked);
    EXPECT_EQ(nameOf(b), "カメラ 　［入］");

    // No longer holdable: a push button again, released.
    b->SetHold(false);
    EXPECT_EQ(ax(b)->role(), QAccessible::PushButton);
    EXPECT_FALSE(ax(b)->state().checked);
}

TEST_F(AccessibleButton, DisabledIsReadAndNeitherADisabledNorAHiddenButtonActs)
{
    TLabeledBmpBtn *b = make(QStringLiteral("送信"));
    QStringList log;
    record(b, log);
    b->SetEnabled(false);
    EXPECT_TRUE(ax(b)->state().disabled);
    act(b, kPress);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.isEmpty()) << log.join(' ').toStdString();

    b->SetEnabled(true);
    EXPECT_FALSE(ax(b)->state().disabled);
    // Like the message box's second button while it only says OK.
    b->hide();
    EXPECT_TRUE(ax(b)->state().invisible);
    act(b, kPress);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.isEmpty()) << log.join(' ').toStdString();

    b->show();
    act(b, kPress);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, (QStringList {"down-", "up-", "click-"}));
}

// The press and toggle actions send what a left click in the middle sends, in the same order and
// with the same hold changes, for every kind of button.
TEST_F(AccessibleButton, ActionsDoWhatAMouseClickDoes)
{
    enum Setup { Plain, Holdable, Held, HeldKept };
    const struct
    {
        const char *what;
        Setup setup;
        QString action;
        QStringList signals_;
        bool heldAfter;
    } cases[] = {
        {"plain", Plain, kPress, {"down-", "up-", "click-"}, false},
        {"holdable", Holdable, kPress, {"down+", "up+", "click+"}, true},
        {"holdable, toggled", Holdable, kToggle, {"down+", "up+", "click+"}, true},
        {"held", Held, kToggle, {"down-", "up-", "click-"}, false},
        // Held for good: no mouse-down, and still held; the click still comes.
        {"held, kept", HeldKept, kPress, {"up+", "click+"}, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QStringList byMouse;
        QStringList byAction;
        TLabeledBmpBtn *mouse = make(QStringLiteral("切替"));
        TLabeledBmpBtn *at = make(QStringLiteral("切替"));
        for (TLabeledBmpBtn *b : {mouse, at}) {
            b->SetHold(c.setup != Plain);
            b->SetHolding(c.setup == Held || c.setup == HeldKept);
            b->SetHoldingKeep(c.setup == HeldKept);
        }
        record(mouse, byMouse);
        record(at, byAction);

        QTest::mouseClick(mouse, Qt::LeftButton, {}, mouse->rect().center());
        act(at, c.action);
        // Run after the call returns, so that a handler's modal window does not hold up the AT.
        EXPECT_TRUE(byAction.isEmpty());
        QCoreApplication::processEvents();

        EXPECT_EQ(byMouse, c.signals_);
        EXPECT_EQ(byAction, c.signals_);
        EXPECT_EQ(at->Holding(), c.heldAfter);
        EXPECT_EQ(mouse->Holding(), c.heldAfter);
        EXPECT_EQ(at->Shown(), mouse->Shown());
        EXPECT_EQ(at->ShownCaptionColor(), mouse->ShownCaptionColor());
        EXPECT_FALSE(at->Pressing());
        EXPECT_EQ(ax(at)->state().checked, c.heldAfter);
    }
}

TEST_F(AccessibleButton, AMouseDownHandlerThatDisablesOrDeletesTheButtonEndsTheClick)
{
    TLabeledBmpBtn *disabled = make(QStringLiteral("撮影"));
    QStringList log;
    record(disabled, log);
    QObject::connect(disabled, &TBmpBtn::mouseDown, disabled, [disabled] { disabled->SetEnabled(false); });
    act(disabled, kPress);
    QCoreApplication::processEvents();
    EXPECT_EQ(log, QStringList {"down-"});

    QPointer<TLabeledBmpBtn> deleted = make(QStringLiteral("閉じる"));
    QObject::connect(deleted, &TBmpBtn::mouseDown, &window, [&deleted] { delete deleted.data(); });
    act(deleted, kPress);
    QCoreApplication::processEvents();
    EXPECT_TRUE(deleted.isNull());
}

TEST(AccessibleCheckBox, IsNamedByItsLabelAndTogglesLikeAClick)
{
    QWidget window;
    auto *label = new QLabel(QStringLiteral("サーバー経由："), &window);
    auto *box = new FlatCheckBox(&window);
    box->setGeometry(100, 0, 13, 13);
    NameFromLabel(box, label);
    window.show();

    EXPECT_EQ(ax(box)->role(), QAccessible::CheckBox);
    EXPECT_EQ(nameOf(box), "サーバー経由");
    EXPECT_TRUE(ax(box)->state().checkable);
    EXPECT_FALSE(ax(box)->state().checked);
    const auto relations = ax(box)->relations(QAccessible::Label);
    ASSERT_EQ(relations.size(), 1);
    EXPECT_EQ(relations.first().first->object(), label);
    EXPECT_TRUE(actionsOf(box).contains(kToggle));

    // The mouse-down handler sees the new state, whichever way the box was ticked.
    QList<bool> seenAtMouseDown;
    QObject::connect(box, &FlatCheckBox::mouseDown, [&] { seenAtMouseDown << box->isChecked(); });
    act(box, kToggle);
    QCoreApplication::processEvents();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(ax(box)->state().checked);
    act(box, kPress);
    QCoreApplication::processEvents();
    EXPECT_FALSE(box->isChecked());
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(seenAtMouseDown, (QList<bool> {true, false, true}));

    // Its own text names a box without a label.
    FlatCheckBox captioned(QStringLiteral("ＦＴＰを使う"));
    EXPECT_EQ(nameOf(&captioned), "ＦＴＰを使う");
}

// A list window that remembers what it was asked to show.
class RecordingListWindow : public PopupListWindow
{
public:
    bool IsShowing() const override { return showing; }
    void HideList() override { showing = false; }
    void DropDownFor(FlatComboBox *list, QWidget *, QPoint, int, int) override
    {
        showing = true;
        shownFor = list;
    }
    bool showing = false;
    FlatComboBox *shownFor = nullptr;
};

TEST(AccessibleComboBox, IsNamedByItsLabelWithItsTextAsValueAndItsItemsAsChildren)
{
    RecordingListWindow popup; // outlives the list
    QWidget window;
    auto *label = new QLabel(QStringLiteral("サイズ："), &window);
    auto *list = new FlatComboBox(&window);
    list->setGeometry(60, 0, 120, 17);
    list->SetItems({QStringLiteral("120 x 120"), QStringLiteral("132 x 176"), QStringLiteral("240 x 320")});
    list->SetItemIndex(1);
    list->SetListWindow(&popup);
    NameFromLabel(list, label);
    window.show();
    QSignalSpy changes(list, &FlatComboBox::changed);

    QAccessibleInterface *iface = ax(list);
    EXPECT_EQ(iface->role(), QAccessible::ComboBox);
    EXPECT_EQ(iface->text(QAccessible::Name), "サイズ");
    EXPECT_EQ(iface->text(QAccessible::Value), "132 x 176");
    ASSERT_EQ(iface->childCount(), 1);
    QAccessibleInterface *items = iface->child(0);
    EXPECT_EQ(items->role(), QAccessible::List);
    EXPECT_EQ(iface->indexOfChild(items), 0);
    ASSERT_EQ(items->childCount(), 3);
    EXPECT_EQ(items->child(2)->text(QAccessible::Name), "240 x 320");

    // The press action works the drop-down button: it opens the list window, then closes it.
    act(list, kPress);
    EXPECT_TRUE(popup.showing);
    EXPECT_EQ(popup.shownFor, list);
    act(list, QAccessibleActionInterface::showMenuAction());
    EXPECT_FALSE(popup.showing);

    // A value set by the AT is a pick: only an item's text, and it runs the change handler.
    iface->setText(QAccessible::Value, QStringLiteral("999 x 999"));
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_EQ(changes.count(), 0);
    iface->setText(QAccessible::Value, QStringLiteral("240 x 320"));
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(changes.count(), 1);

    // An editable list: the text typed is the value; its edit field is a second child.
    auto *address = new FlatComboBox(&window);
    address->setEditable(true);
    address->SetItems({QStringLiteral("taro@example.jp")});
    NameFromLabel(address, QStringLiteral("アドレス："));
    QAccessibleInterface *editable = ax(address);
    QSignalSpy typed(address->lineEdit(), &QLineEdit::textEdited);
    editable->setText(QAccessible::Value, QStringLiteral("hanako@example.jp"));
    EXPECT_EQ(address->Text(), "hanako@example.jp");
    // Typed: the handlers that follow the typing (the recipient texts) see it.
    ASSERT_EQ(typed.count(), 1);
    EXPECT_EQ(typed.at(0).at(0).toString(), "hanako@example.jp");
    // A read-only edit field takes no typing; its list is picked from.
    address->lineEdit()->setReadOnly(true);
    QSignalSpy picks(address, &FlatComboBox::changed);
    editable->setText(QAccessible::Value, QStringLiteral("jiro@example.jp"));
    EXPECT_EQ(address->Text(), "hanako@example.jp");
    EXPECT_EQ(picks.count(), 0);
    editable->setText(QAccessible::Value, QStringLiteral("taro@example.jp"));
    EXPECT_EQ(address->Text(), "taro@example.jp");
    EXPECT_EQ(address->ItemIndex(), 0);
    EXPECT_EQ(picks.count(), 1);
    EXPECT_EQ(typed.count(), 1);
    EXPECT_EQ(editable->text(QAccessible::Name), "アドレス");
    EXPECT_TRUE(editable->state().editable);
    ASSERT_EQ(editable->childCount(), 2);
    EXPECT_EQ(editable->child(1)->object(), address->lineEdit());
}

TEST(AccessibleFlatControls, ExposeTheirRolesNamesAndValues)
{
    FlatPanel panel;
    auto *edit = new FlatEdit(&panel);
    edit->setText(QStringLiteral("山田 太郎"));
    NameFromLabel(edit, QStringLiteral("名前："));
    auto *memo = new FlatMemo(&panel);
    memo->setPlainText(QStringLiteral("本文"));
    NameFromLabel(memo, QStringLiteral("本文："));
    auto *list = new FlatListBox(&panel);
    list->SetItems({QStringLiteral("docomo"), QStringLiteral("au")});
    NameFromLabel(list, QStringLiteral("ＣＣ："));
    auto *bar = new FlatProgressBar(&panel);
    bar->setValue(60);
    auto *scroll = new FlatScrollBar(Qt::Vertical, &panel);
    scroll->setRange(0, 10);
    scroll->setValue(4);
    panel.show();

    const struct
    {
        QObject *control;
        QAccessible::Role role;
        QString name;
    } cases[] = {
        {&panel, QAccessible::Grouping, ""},       {edit, QAccessible::EditableText, "名前"},
        {memo, QAccessible::EditableText, "本文"}, {list, QAccessible::List, "ＣＣ"},
        {bar, QAccessible::ProgressBar, ""},       {scroll, QAccessible::ScrollBar, ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.control->metaObject()->className());
        EXPECT_EQ(ax(c.control)->role(), c.role);
        EXPECT_EQ(nameOf(c.control), c.name);
    }
    EXPECT_EQ(ax(edit)->text(QAccessible::Value), "山田 太郎");
    ASSERT_EQ(ax(list)->childCount(), 2);
    EXPECT_EQ(ax(list)->child(1)->text(QAccessible::Name), "au");
    ASSERT_NE(ax(bar)->valueInterface(), nullptr);
    EXPECT_EQ(ax(bar)->valueInterface()->currentValue().toInt(), 60);
    ASSERT_NE(ax(scroll)->valueInterface(), nullptr);
    EXPECT_EQ(ax(scroll)->valueInterface()->currentValue().toInt(), 4);
}

TEST(AccessibleRoleSet, ACustomPaintedViewCanBeAGraphicWithADescription)
{
    QWidget view;
    SetAccessibleRole(&view, QAccessible::Graphic);
    view.setAccessibleName(QStringLiteral("フレーム"));
    view.setAccessibleDescription(QStringLiteral("120 x 120 の送信画像"));
    EXPECT_EQ(ax(&view)->role(), QAccessible::Graphic);
    EXPECT_EQ(ax(&view)->text(QAccessible::Name), "フレーム");
    EXPECT_EQ(ax(&view)->text(QAccessible::Description), "120 x 120 の送信画像");
}

template<class T> T *child(QObject *parent, const char *name)
{
    T *w = parent->findChild<T *>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(AccessibleMessageBox, ReadsItsTextIconAndButtonsAndIsAnsweredThroughThem)
{
    TMsgBox box;
    box.SetBeep([](int) {});
    const struct
    {
        QString text;
        int icon;
        int buttons;
        QString spokenText;
        const char *iconShown;
        QString iconName;
        QString ok;
        QString cancel;
        int code;
    } cases[] = {
        {"送信しますか？", Msg::IconQuestion, Msg::ButtonsYesNo, "送信しますか？", "imgQ", "質問", "はい",
         "いいえ", Msg::Yes},
        {"SMTPエラー：\nSocket Error # 10061\r\nConnection refused.", Msg::IconError, Msg::ButtonsOkCancel,
         "SMTPエラー： Socket Error # 10061 Connection refused.", "imgS", "エラー", "OK", "キャンセル",
         Msg::Ok},
        {"送信が完了しました。", Msg::IconInformation, Msg::ButtonsOk, "送信が完了しました。", "imgI", "情報",
         "OK", "", Msg::Ok},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString description, text, iconName, ok, cancel;
        bool cancelShown = false;
        QTimer::singleShot(0, [&] {
            description = ax(&box)->text(QAccessible::Description);
            text = nameOf(child<QLabel>(&box, "lbText"));
            iconName = nameOf(child<QLabel>(&box, c.iconShown));
            auto *btnOK = child<TLabeledBmpBtn>(&box, "btnOK");
            auto *btnCancel = child<TLabeledBmpBtn>(&box, "btnCancel");
            ok = nameOf(btnOK);
            cancelShown = !ax(btnCancel)->state().invisible;
            cancel = cancelShown ? nameOf(btnCancel) : QString();
            act(btnOK, kPress);
        });
        const int code = box.Execute(c.text, c.icon, c.buttons);
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(ax(&box)->role(), QAccessible::AlertMessage);
        EXPECT_EQ(nameOf(&box), "タブリン");
        EXPECT_EQ(description, c.spokenText);
        EXPECT_EQ(text, QString(c.text).replace("\r\n", "\n"));
        EXPECT_EQ(iconName, c.iconName);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(cancelShown, !c.cancel.isEmpty());
        EXPECT_EQ(cancel, c.cancel);
    }
}

TEST(AccessiblePictureSize, FieldsAreNamedByTheirLabelsAndTheButtonsAnswer)
{
    ScriptedPrompt prompt;
    TSetPictureSize dialog(prompt);
    auto *width = child<FlatEdit>(&dialog, "edtWidth");
    auto *height = child<FlatEdit>(&dialog, "edtHeight");
    EXPECT_EQ(nameOf(width), "横");
    EXPECT_EQ(nameOf(height), "縦");
    EXPECT_EQ(ax(width)->relations(QAccessible::Label).value(0).first->object(),
              child<QLabel>(&dialog, "lbWidth"));
    EXPECT_EQ(nameOf(child<TLabeledBmpBtn>(&dialog, "btnOk")), "決定");
    EXPECT_EQ(nameOf(child<TLabeledBmpBtn>(&dialog, "btnCancel")), "中止");
    EXPECT_EQ(ax(&dialog)->text(QAccessible::Description), "画像サイズの指定");

    // Typed through the AT and answered with the press action.
    QTimer::singleShot(0, [&] {
        ax(width)->editableTextInterface()->replaceText(0, int(width->text().size()), QStringLiteral("130"));
        ax(height)->editableTextInterface()->replaceText(0, int(height->text().size()),
                                                         QStringLiteral("200"));
        act(child<TLabeledBmpBtn>(&dialog, "btnOk"), kPress);
    });
    EXPECT_EQ(dialog.Ask(QStringLiteral(" 240"), QStringLiteral(" 320")), QSize(130, 200));
    EXPECT_TRUE(prompt.History().isEmpty());
}

TEST(AccessibleColourDialog, TheChartIsADescribedGraphicAndTheSwatchesReadTheirColours)
{
    TSelectColor dialog;
    auto *chart = child<QLabel>(&dialog, "imgChart");
    auto *chosen = child<FlatPanel>(&dialog, "pnlSelectColor");
    auto *picker = child<FlatPanel>(&dialog, "pnlPicker");
    QTimer::singleShot(0, [&] {
        // Read while open: the chart is drawn when the dialog is first shown.
        EXPECT_EQ(ax(chart)->role(), QAccessible::Graphic);
        EXPECT_EQ(nameOf(chart), "カラーチャート");
        EXPECT_EQ(ax(chart)->text(QAccessible::Description),
                  "左から右へ色相、上から下へ白から黒。クリックした点の色を選びます");
        EXPECT_EQ(ax(chosen)->role(), QAccessible::Graphic);
        EXPECT_EQ(nameOf(chosen), "選択した色");
        EXPECT_EQ(ax(chosen)->text(QAccessible::Description), "RGB(48, 128, 255)");
        EXPECT_EQ(nameOf(picker), "ポインタの位置の色");
        // The pointer over the chart: the swatch under it reads the chart's colour there.
        const QPoint at(40, 120);
        QMouseEvent move(QEvent::MouseMove, at, chart->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
        QCoreApplication::sendEvent(chart, &move);
        const QColor there = dialog.Chart().pixelColor(at);
        EXPECT_EQ(ax(picker)->text(QAccessible::Description),
                  QStringLiteral("RGB(%1, %2, %3)").arg(there.red()).arg(there.green()).arg(there.blue()));
        EXPECT_NE(there, QColor(48, 128, 255));
        act(child<TLabeledBmpBtn>(&dialog, "btnCancel"), kPress);
    });
    EXPECT_EQ(dialog.Pick(0x3080FF), -1);
}

TEST(AccessiblePopupList, IsNamedAfterItsDropDownListAndReadsItsItems)
{
    TPopupListBox popup; // outlives the list
    QWidget owner;
    owner.resize(200, 100);
    auto *list = new FlatComboBox(&owner);
    list->setGeometry(10, 10, 120, 17);
    list->SetItems({QStringLiteral("ドコモ"), QStringLiteral("ａｕ"), QStringLiteral("ソフトバンク")});
    NameFromLabel(list, QStringLiteral("携帯会社："));
    list->SetListWindow(&popup);
    owner.show();

    list->DropDown();
    ASSERT_TRUE(popup.isVisible());
    QAccessibleInterface *items = ax(popup.List());
    EXPECT_EQ(items->role(), QAccessible::List);
    EXPECT_EQ(items->text(QAccessible::Name), "携帯会社");
    ASSERT_EQ(items->childCount(), 3);
    EXPECT_EQ(items->child(0)->text(QAccessible::Name), "ドコモ");
    EXPECT_EQ(items->child(2)->text(QAccessible::Name), "ソフトバンク");
    popup.hide();
}

} // namespace
