#include "mainwindow/SendToPane.h"

#include "mail/AddressBook.h"
#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/Binding.h"
#include "widgets/Colors.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatListBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLineEdit>
#include <QPainter>

SendToPane::SendToPane(MainModel &model, QWidget *parent)
    : Pane("pnlSendTo", model, parent)
    , m_recipient(model.Recipient())
{
    Label17 = new PaneLabel(this, "Label17", QStringLiteral("宛先："), QPoint(8, 10));
    btnAddressMail
        = MakeMainButton(this, "btnAddressMail", QRect(150, 5, 84, 24), QStringLiteral("アドレス帳"));

    Label20 = new PaneLabel(this, "Label20", QStringLiteral("名前："), QPoint(8, 39));
    cbxNameMail = new FlatComboBox(this);
    cbxNameMail->setObjectName(QStringLiteral("cbxNameMail"));
    cbxNameMail->SetEditable(true);
    cbxNameMail->setGeometry(72, 36, 162, 20);
    NameFromLabel(cbxNameMail, Label20);

    Label21 = new PaneLabel(this, "Label21", QStringLiteral("アドレス："), QPoint(8, 65));
    cbxAddressMail = new FlatComboBox(this);
    cbxAddressMail->setObjectName(QStringLiteral("cbxAddressMail"));
    cbxAddressMail->SetEditable(true);
    cbxAddressMail->setGeometry(72, 62, 162, 20);
    NameFromLabel(cbxAddressMail, Label21);

    chkDoCoMo = new FlatCheckBox(QStringLiteral("ｉモード、ｉショット（サーバーを使用する）"), this);
    chkDoCoMo->setObjectName(QStringLiteral("chkDoCoMo"));
    chkDoCoMo->setGeometry(8, 90, 228, 16);
    lbDoCoMo = new PaneLabel(this, "lbDoCoMo", QStringLiteral("ＦＴＰサーバーを使用して送信する"),
                             QPoint(24, 108));

    Label18 = new PaneLabel(this, "Label18", QStringLiteral("同時に送信する宛先："), QPoint(8, 132));
    lbxCC = new FlatListBox(this);
    lbxCC->setObjectName(QStringLiteral("lbxCC"));
    lbxCC->setGeometry(8, 150, 166, 74);
    NameFromLabel(lbxCC, Label18);
    btnAddCC = MakeMainButton(this, "btnAddCC", QRect(182, 150, 52, 24), QStringLiteral("追加"));
    btnDelCC = MakeMainButton(this, "btnDelCC", QRect(182, 180, 52, 24), QStringLiteral("削除"));

    RecipientModel &r = m_recipient;
    OnButton(btnAddressMail, [&r] { r.btnAddressMailClick(); });
    connect(cbxNameMail, &FlatComboBox::changed, this, [this, &r] {
        m_model.PanelClick();
        r.cbxNameMailChange(cbxNameMail->ItemIndex());
    });
    connect(cbxAddressMail, &FlatComboBox::changed, this, [this, &r] {
        m_model.PanelClick();
        r.cbxAddressMailChange(cbxAddressMail->ItemIndex());
    });
    m_nameText = TextBinding::Bind(
        cbxNameMail, [&r] { return r.NameText(); }, [&r](const QString &text) { r.SetNameText(text); });
    m_addressText = TextBinding::Bind(
        cbxAddressMail, [&r] { return r.AddressText(); },
        [&r](const QString &text) { r.SetAddressText(text); });
    // The box toggles itself on the press (or the space key) before its handler runs.
    connect(chkDoCoMo, &QCheckBox::toggled, this, [this, &r](bool on) {
        m_model.PanelClick();
        if (on != r.ServerRoute())
            r.chkDoCoMoMouseDown(on);
    });
    connect(lbDoCoMo, &PaneLabel::clicked, this, [this, &r] {
        m_model.PanelClick();
        r.lbDoCoMoClick();
    });
    connect(lbxCC, &QListWidget::currentRowChanged, &r, &RecipientModel::SetCCSelected);
    connect(lbxCC, &QListWidget::itemPressed, &model, &MainModel::PanelClick);
    OnButton(btnAddCC, [&r] { r.btnAddCCClick(); });
    OnButton(btnDelCC, [&r] { r.btnDelCCClick(); });
    connect(&r, &RecipientModel::changed, this, &SendToPane::Refresh);
    connect(&r, &RecipientModel::listsRefilled, this, &SendToPane::RefillLists);
    // Made when first needed, maybe after the lists were filled.
    RefillLists();
}

void SendToPane::RefillLists()
{
    QStringList names, addresses;
    TAddressBook &history = m_model.History();
    for (int i = 0; i < history.Count(); ++i) {
        names << history.Get(i).Name;
        addresses << history.Get(i).Address;
    }
    cbxNameMail->SetItems(names);
    cbxAddressMail->SetItems(addresses);
    Refresh();
}

void SendToPane::Refresh()
{
    const RecipientModel &r = m_recipient;
    m_nameText->Show();
    m_addressText->Show();
    {
        const QSignalBlocker quiet(chkDoCoMo);
        chkDoCoMo->setChecked(r.ServerRoute());
    }
    chkDoCoMo->setVisible(r.ServerRouteShown());
    lbDoCoMo->setVisible(r.ServerRouteShown());
    {
        const QSignalBlocker quiet(lbxCC);
        QStringList names;
        for (const TMailAddress *entry : r.CC())
            names << entry->Name;
        if (lbxCC->Items() != names)
            lbxCC->SetItems(names);
        lbxCC->SetItemIndex(r.CCSelected());
    }
    btnAddCC->SetEnabled(r.AddCCEnabled());
    btnDelCC->SetEnabled(r.DelCCEnabled());
    update();
}

void SendToPane::paintEvent(QPaintEvent *event)
{
    Pane::paintEvent(event);
    if (chkDoCoMo->isVisible())
        return;
    // The hidden box keeps a white frame where the orange one was.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1));
    p.drawRoundedRect(QRectF(InputFrameRect(chkDoCoMo->geometry())).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
}
