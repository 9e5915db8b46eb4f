#include "dialogs/AddressUnit.h"

#include "common/ApplicationTitle.h"
#include "common/Prompt.h"
#include "common/UserData.h"
#include "dialogs/DialogParts.h"
#include "mail/AddressBook.h"
#include "widgets/Accessibility.h"
#include "widgets/Binding.h"
#include "widgets/Artwork.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatListBox.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>

namespace {

constexpr int kFieldLeft = 104; // edit fields start here; their labels end 4 pixels before
constexpr int kRowStep = 20;
constexpr int kFieldHeight = 17;

const QColor kPurple(128, 0, 128);
const QColor kGrey(128, 128, 128);

// The standard width and height of the size presets 0 to 2.
const QSize kPresetSizes[] = {{120, 120}, {132, 176}, {240, 320}};
constexpr int kUserSize = 3;

} // namespace

TAddress::TAddress(const TUserData &settings, Prompt &prompt, PopupListWindow *listWindow, QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint)
    , m_settings(settings)
    , m_prompt(prompt)
    , m_listWindow(listWindow)
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - アドレス帳"));
    setWindowIcon(Artwork::ProgramIcon());
    setModal(true);
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    // List mode.
    pnlFrame = new FlatPanel(this);
    pnlFrame->setObjectName(QStringLiteral("pnlFrame"));
    pnlFrame->setGeometry(0, 0, kClientWidth, kClientHeight);
    pnlListBase = new FlatPanel(pnlFrame);
    pnlListBase->setObjectName(QStringLiteral("pnlListBase"));
    pnlListBase->SetColor(Colors::Frame);
    pnlListBase->setGeometry(6, 6, 197, 160);
    lbxAddress = new FlatListBox(pnlListBase);
    lbxAddress->setObjectName(QStringLiteral("lbxAddress"));
    lbxAddress->setGeometry(1, 1, 195, 158);
    lbxAddress->SetColors(Colors::ListBack, Colors::Text);
    lbxAddress->setAccessibleName(QStringLiteral("アドレス帳"));

    const int buttonLeft = 209;
    btnEdit = MakeDialogButton(pnlFrame, "btnEdit", QStringLiteral("編　集"), QRect(buttonLeft, 6, 74, 24));
    btnNew = MakeDialogButton(pnlFrame, "btnNew", QStringLiteral("新　規"), QRect(buttonLeft, 34, 74, 24));
    btnDelete
        = MakeDialogButton(pnlFrame, "btnDelete", QStringLiteral("削　除"), QRect(buttonLeft, 62, 74, 24));
    btnCancel
        = MakeDialogButton(pnlFrame, "btnCancel", QStringLiteral("　　中止"), QRect(buttonLeft, 114, 74, 24));
    btnOK = MakeDialogButton(pnlFrame, "btnOK", QStringLiteral("　　決定"), QRect(buttonLeft, 142, 74, 24));
    connect(btnEdit, &TBmpBtn::clicked, this, &TAddress::btnEditClick);
    connect(btnNew, &TBmpBtn::clicked, this, &TAddress::btnNewClick);
    connect(btnDelete, &TBmpBtn::clicked, this, &TAddress::btnDeleteClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TAddress::btnCancelClick);
    connect(btnOK, &TBmpBtn::clicked, this, &TAddress::btnOKClick);

    // Edit mode, in the same place.
    pnlEditBase = new FlatPanel(this);
    pnlEditBase->setObjectName(QStringLiteral("pnlEditBase"));
    pnlEditBase->setGeometry(0, 0, kClientWidth, kClientHeight);
    pnlEditBaseSub = new FlatPanel(pnlEditBase);
    pnlEditBaseSub->setObjectName(QStringLiteral("pnlEditBaseSub"));
    pnlEditBaseSub->setGeometry(4, 4, kClientWidth - 8, 140);
    pnlEditBaseSub->SetColor(Colors::ListBack);
    pnlEditBaseSub->SetInputFrameColor(Colors::Frame);
    connect(pnlEditBaseSub, &FlatPanel::clicked, this, &TAddress::hidePopupList);

    auto row = [](int index) {
        return 6 + index * kRowStep;
    };
    const int fieldWidth = kClientWidth - 8 - kFieldLeft - 10;
    lbName = MakeLabel(pnlEditBaseSub, "lbName", QStringLiteral("名前："), QPoint(0, row(0) + 1),
                       kFieldLeft - 4);
    edtName
        = MakeField(pnlEditBaseSub, "edtName", QRect(kFieldLeft, row(0), fieldWidth, kFieldHeight), lbName);
    edtName->SetAutoSelect(true);
    lbAddress = MakeLabel(pnlEditBaseSub, "lbAddress", QStringLiteral("メールアドレス："),
                          QPoint(0, row(1) + 1), kFieldLeft - 4);
    edtAddress = MakeField(pnlEditBaseSub, "edtAddress", QRect(kFieldLeft, row(1), fieldWidth, kFieldHeight),
                           lbAddress);
    edtAddress->SetAutoSelect(true);
    edtAddress->SetInputMethod(false);
    for (FlatEdit *field : {edtName, edtAddress})
        connect(field, &FlatEdit::clicked, this, &TAddress::hidePopupList);
    TextBinding::Bind(edtName, &m_edited.name);
    TextBinding::Bind(edtAddress, &m_edited.address);

    lbPictureSize = MakeLabel(pnlEditBaseSub, "lbPictureSize", QStringLiteral("画像サイズ："),
                              QPoint(0, row(2) + 1), kFieldLeft - 4);
    cbxPictureSize = new FlatComboBox(pnlEditBaseSub);
    cbxPictureSize->setObjectName(QStringLiteral("cbxPictureSize"));
    cbxPictureSize->setGeometry(kFieldLeft, row(2), 92, kFieldHeight);
    cbxPictureSize->SetItems({QStringLiteral("120 x 120"), QStringLiteral("132 x 176"),
                              QStringLiteral("240 x 320"), QStringLiteral("ユーザー設定")});
    NameFromLabel(cbxPictureSize, lbPictureSize);
    connect(cbxPictureSize, &FlatComboBox::changed, this, &TAddress::cbxPictureSizeChange);

    // Each size field sits on a panel of its own, which draws its frame orange or grey.
    auto sizeField = [this](const char *name, const char *frameName, const QRect &place, FlatPanel *&frame) {
        frame = new FlatPanel(pnlEditBaseSub);
        frame->setObjectName(QLatin1String(frameName));
        frame->SetColor(Colors::ListBack);
        frame->setGeometry(FlatPanel::InputFrameRect(place));
        auto *field = new FlatEdit(frame);
        field->setObjectName(QLatin1String(name));
        field->setGeometry(1, 1, place.width(), place.height());
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        field->setFocusPolicy(Qt::NoFocus);
        connect(field, &FlatEdit::clicked, this, &TAddress::edtWHClick);
        return field;
    };
    lbWidth
        = MakeLabel(pnlEditBaseSub, "lbWidth", QStringLiteral("横："), QPoint(0, row(3) + 1), kFieldLeft - 4);
    edtWidth
        = sizeField("edtWidth", "pnlWidthFrame", QRect(kFieldLeft, row(3), 32, kFieldHeight), pnlWidthFrame);
    lbHeight = MakeLabel(pnlEditBaseSub, "lbHeight", QStringLiteral("縦："), QPoint(0, row(3) + 1),
                         kFieldLeft + 32 + 30);
    edtHeight = sizeField("edtHeight", "pnlHeightFrame",
                          QRect(kFieldLeft + 32 + 34, row(3), 32, kFieldHeight), pnlHeightFrame);
    NameFromLabel(edtWidth, lbWidth);
    NameFromLabel(edtHeight, lbHeight);
    // Only the picture size dialog changes them.
    auto nothing = [](const QString &) { };
    m_widthText = TextBinding::Bind(
        edtWidth, [this] { return m_edited.width; }, nothing);
    m_heightText = TextBinding::Bind(
        edtHeight, [this] { return m_edited.height; }, nothing);
    for (QLabel *label : {lbWidth, lbHeight})
        label->installEventFilter(this);

    Label1 = MakeLabel(pnlEditBaseSub, "Label1", QStringLiteral("画像品質："), QPoint(0, row(4) + 1),
                       kFieldLeft - 4);
    cbxQuality = new FlatComboBox(pnlEditBaseSub);
    cbxQuality->setObjectName(QStringLiteral("cbxQuality"));
    cbxQuality->setGeometry(kFieldLeft, row(4), 48, kFieldHeight);
    cbxQuality->SetItems({QStringLiteral("低"), QStringLiteral("中"), QStringLiteral("高")});
    NameFromLabel(cbxQuality, Label1);
    connect(cbxQuality, &FlatComboBox::changed, this, &TAddress::hidePopupList);

    for (FlatComboBox *list : {cbxPictureSize, cbxQuality}) {
        list->SetOwnerWindow(this);
        list->SetListWindow(listWindow);
    }

    chkDoCoMo
        = new FlatCheckBox(QStringLiteral("ｉモード、ｉショット（サーバーを使用する）"), pnlEditBaseSub);
    chkDoCoMo->setObjectName(QStringLiteral("chkDoCoMo"));
    QPalette text = chkDoCoMo->palette();
    text.setColor(QPalette::WindowText, Colors::Text);
    chkDoCoMo->setPalette(text);
    chkDoCoMo->move(8, row(5) + 2);
    chkDoCoMo->resize(chkDoCoMo->sizeHint());
    connect(chkDoCoMo, &FlatCheckBox::mouseDown, this, &TAddress::hidePopupList);
    lbDoCoMo = MakeLabel(pnlEditBaseSub, "lbDoCoMo", QStringLiteral("ＦＴＰサーバーを使用して送信する"),
                         QPoint(8 + FlatCheckBox::kBoxSize + 4, row(5) + 19));
    lbDoCoMo->installEventFilter(this);

    btnEditOK = MakeDialogButton(pnlEditBase, "btnEditOK", QStringLiteral("　　決定"),
                                 QRect(kClientWidth - 164, kClientHeight - 25, 78, 22));
    btnEditCancel = MakeDialogButton(pnlEditBase, "btnEditCancel", QStringLiteral("　　中止"),
                                     QRect(kClientWidth - 82, kClientHeight - 25, 78, 22));
    connect(btnEditOK, &TBmpBtn::clicked, this, &TAddress::btnEditOKClick);
    connect(btnEditCancel, &TBmpBtn::clicked, this, &TAddress::btnEditCancelClick);

    listMode();
}

bool TAddress::InEditMode() const
{
    return !pnlEditBase->isHidden();
}

void TAddress::Prepare(TAddressBook &book, const QString &newName, const QString &newAddress)
{
    m_book = &book;
    m_newName = newName;
    m_newAddress = newAddress;
    m_result = -1;
    refillList(0);
    enableListButtons();
    listMode();
    CentreOver(this, parentWidget());
}

int TAddress::ChooseEntry(TAddressBook &book, const QString &newName, const QString &newAddress)
{
    Prepare(book, newName, newAddress);
    const QPointer<TAddress> self(this);
    exec();
    return self ? m_result : -1;
}

void TAddress::done(int result)
{
    // However the dialog closes, the next opening starts in list mode.
    hidePopupList();
    listMode();
    QDialog::done(result);
}

void TAddress::listMode()
{
    pnlEditBase->hide();
    pnlFrame->show();
    lbxAddress->setFocus(Qt::OtherFocusReason);
}

void TAddress::editMode()
{
    pnlFrame->hide();
    pnlEditBase->show();
    const bool route = m_settings.UseServer;
    chkDoCoMo->setVisible(route);
    lbDoCoMo->setVisible(route);
    pictureSizeRule(false);
    edtName->setFocus(Qt::OtherFocusReason);
}

void TAddress::refillList(int select)
{
    QStringList names;
    if (m_book) {
        for (int i = 0; i < m_book->Count(); ++i)
            names << m_book->Get(i).Name;
    }
    lbxAddress->SetItems(names);
    lbxAddress->SetItemIndex(select >= 0 && select < names.size() ? select : -1);
}

void TAddress::enableListButtons()
{
    const bool any = m_book && m_book->Count() > 0;
    btnEdit->SetEnabled(any);
    btnDelete->SetEnabled(any);
}

void TAddress::hidePopupList()
{
    if (m_listWindow && m_listWindow->IsShowing())
        m_listWindow->HideList();
}

void TAddress::btnEditClick()
{
    const int at = lbxAddress->ItemIndex();
    if (!m_book || at < 0 || at >= m_book->Count())
        return;
    const TMailAddress &e = m_book->Get(at);
    edtName->setText(e.Name);
    edtAddress->setText(e.Address);
    // Whether the box shows is what the last edit mode left.
    chkDoCoMo->setChecked(e.ServerRoute && !chkDoCoMo->isHidden());
    cbxPictureSize->SetItemIndex(e.SizePreset);
    cbxQuality->SetItemIndex(e.QualityLevel);
    showSize(QString::number(e.Width), QString::number(e.Height));
    m_editTarget = 0;
    editMode();
}

void TAddress::btnNewClick()
{
    edtName->setText(m_newName);
    edtAddress->setText(m_newAddress);
    chkDoCoMo->setChecked(false);
    cbxPictureSize->SetItemIndex(2);
    cbxQuality->SetItemIndex(2);
    showSize(QStringLiteral("240"), QStringLiteral("320"));
    m_editTarget = -1;
    editMode();
}

TMailAddress TAddress::fieldsEntry() const
{
    TMailAddress e;
    e.Name = m_edited.name;
    e.Address = m_edited.address;
    e.ServerRoute = chkDoCoMo->isChecked();
    e.SizePreset = qint8(cbxPictureSize->ItemIndex());
    e.QualityLevel = qint8(cbxQuality->ItemIndex());
    e.Width = m_edited.width.toInt();
    e.Height = m_edited.height.toInt();
    return e;
}

void TAddress::btnEditOKClick()
{
    hidePopupList();
    if (!m_book)
        return;
    if (m_edited.name.isEmpty()) {
        m_prompt.ShowMessageBox(QStringLiteral("名前が入力されていません。"), Msg::IconExclamation,
                                Msg::ButtonsOk);
        return;
    }
    if (m_edited.address.isEmpty()) {
        m_prompt.ShowMessageBox(QStringLiteral("メールアドレスが入力されていません。"), Msg::IconExclamation,
                                Msg::ButtonsOk);
        return;
    }
    int p = lbxAddress->ItemIndex();
    const TMailAddress entry = fieldsEntry();
    if (m_editTarget == -1) {
        const int q = m_book->Find(entry.Address);
        if (q < 0) {
            p = lbxAddress->count();
            m_book->Append(entry);
        } else {
            const QPointer<TAddress> self(this);
            const int answer
                = m_prompt.ShowMessageBox(QStringLiteral("メールアドレスが登録済みです。上書きしますか？"),
                                          Msg::IconQuestion, Msg::ButtonsYesNo);
            if (!self)
                return;
            if (answer == Msg::Yes)
                m_book->Get(q) = entry;
            p = q;
        }
    } else if (p >= 0 && p < m_book->Count()) {
        TMailAddress &stored = m_book->Get(p);
        // A preset or quality outside the lists (from an edited file) has no item to show; it stays.
        const TMailAddress old = stored;
        stored = entry;
        if (cbxPictureSize->ItemIndex() < 0)
            stored.SizePreset = old.SizePreset;
        if (cbxQuality->ItemIndex() < 0)
            stored.QualityLevel = old.QualityLevel;
    }
    enableListButtons();
    refillList(p);
    listMode();
}

void TAddress::btnEditCancelClick()
{
    hidePopupList();
    listMode();
}

void TAddress::pictureSizeRule(bool initiated)
{
    const int preset = cbxPictureSize->ItemIndex();
    const bool user = preset == kUserSize;
    for (QWidget *w : std::initializer_list<QWidget *> {lbWidth, lbHeight, edtWidth, edtHeight})
        w->setEnabled(user);
    for (FlatPanel *frame : {pnlWidthFrame, pnlHeightFrame})
        frame->SetInputFrameColor(user ? Colors::Frame : kGrey);
    for (FlatEdit *field : {edtWidth, edtHeight})
        field->SetColors(Colors::ListBack, user ? kPurple : kGrey);
    if (preset >= 0 && preset < kUserSize) {
        showSize(QString::number(kPresetSizes[preset].width()), QString::number(kPresetSizes[preset].height()));
    } else if (user && initiated) {
        edtWHClick();
    }
}

void TAddress::cbxPictureSizeChange()
{
    hidePopupList();
    pictureSizeRule(true);
}

void TAddress::showSize(const QString &width, const QString &height)
{
    m_edited.width = width;
    m_edited.height = height;
    m_widthText->Show();
    m_heightText->Show();
}

void TAddress::edtWHClick()
{
    hidePopupList();
    // Greyed, under a fixed preset: the size is the preset's and nothing opens.
    if (!edtWidth->isEnabled())
        return;
    const QSize size = m_prompt.AskPictureSize(m_edited.width, m_edited.height);
    if (size.width() != 0)
        showSize(QString::number(size.width()), QString::number(size.height()));
}

void TAddress::lbDoCoMoClick()
{
    hidePopupList();
    chkDoCoMo->toggle();
}

void TAddress::btnDeleteClick()
{
    const int at = lbxAddress->ItemIndex();
    if (!m_book || at < 0 || at >= m_book->Count())
        return;
    const QPointer<TAddress> self(this);
    const int answer
        = m_prompt.ShowMessageBox(QStringLiteral("削除しますか？"), Msg::IconQuestion, Msg::ButtonsYesNo);
    if (!self || answer == Msg::No)
        return;
    m_book->Remove(at);
    delete lbxAddress->takeItem(at);
    enableListButtons();
    lbxAddress->SetItemIndex(qMin(at, lbxAddress->count() - 1));
    lbxAddress->setFocus(Qt::OtherFocusReason);
}

void TAddress::btnOKClick()
{
    m_result = lbxAddress->ItemIndex();
    accept();
}

void TAddress::btnCancelClick()
{
    m_result = -1;
    reject();
}

bool TAddress::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // A greyed label does nothing (the filter sees presses that a disabled label drops).
        if ((watched == lbWidth || watched == lbHeight) && static_cast<QWidget *>(watched)->isEnabled()) {
            edtWHClick();
            return true;
        }
        if (watched == lbDoCoMo && lbDoCoMo->isEnabled()) {
            lbDoCoMoClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAddress::keyPressEvent(QKeyEvent *event)
{
    // The shown 決定 and 中止: the edit's own while an entry is edited.
    const bool editing = InEditMode();
    if (!TakeDialogKey(
            event, [&] { editing ? btnEditOKClick() : btnOKClick(); },
            [&] { editing ? btnEditCancelClick() : btnCancelClick(); }))
        QDialog::keyPressEvent(event);
}
