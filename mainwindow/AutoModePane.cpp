#include "mainwindow/AutoModePane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

namespace {

TFlatEdit *numberDisplay(QWidget *parent, const char *name, const QRect &place, const QString &accessibleName)
{
    auto *edit = new TFlatEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setText(QStringLiteral("0"));
    edit->setAccessibleName(accessibleName);
    return edit;
}

TFlatComboBox *list(QWidget *parent, const char *name, const QRect &place, const QStringList &items,
                    int selected)
{
    auto *box = new TFlatComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->SetItems(items);
    box->SetItemIndex(selected);
    return box;
}

} // namespace

AutoModePane::AutoModePane(MainModel &model, QWidget *parent)
    : Pane("pnlAutoMode", parent)
    , m_model(model)
{
    edtHour = numberDisplay(this, "edtHour", QRect(8, 9, 34, 20), QStringLiteral("時"));
    btnHUp = MakeMainButton(this, "btnHUp", QRect(44, 6, 22, 13), QStringLiteral("+"), {}, {},
                            QStringLiteral("時を増やす"));
    btnHDown = MakeMainButton(this, "btnHDown", QRect(44, 20, 22, 13), QStringLiteral("-"), {}, {},
                              QStringLiteral("時を減らす"));
    new PaneLabel(this, "lbHour", QStringLiteral("時"), QPoint(70, 12));
    edtMin = numberDisplay(this, "edtMin", QRect(88, 9, 34, 20), QStringLiteral("分"));
    btnMUp = MakeMainButton(this, "btnMUp", QRect(124, 6, 22, 13), QStringLiteral("+"), {}, {},
                            QStringLiteral("分を増やす"));
    btnMDown = MakeMainButton(this, "btnMDown", QRect(124, 20, 22, 13), QStringLiteral("-"), {}, {},
                              QStringLiteral("分を減らす"));
    new PaneLabel(this, "lbMin", QStringLiteral("分"), QPoint(150, 12));

    btnStartTime = MakeMainButton(this, "btnStartTime", QRect(8, 38, 109, 22), QStringLiteral("から開始"));
    btnPassingTime
        = MakeMainButton(this, "btnPassingTime", QRect(125, 38, 109, 22), QStringLiteral("経過後に開始"));
    for (TLabeledBmpBtn *b : {btnStartTime, btnPassingTime})
        b->SetHold(true), b->SetHoldingKeep(true);
    btnPassingTime->SetHolding(true);

    auto *lbInterval = new PaneLabel(this, "lbInterval", QStringLiteral("間隔："), QPoint(8, 71));
    cbxInterval = list(this, "cbxInterval", QRect(64, 68, 104, 20),
                       {QStringLiteral("　５分"), QStringLiteral("１０分"), QStringLiteral("１５分"),
                        QStringLiteral("３０分"), QStringLiteral("１時間"), QStringLiteral("２時間"),
                        QStringLiteral("４時間")},
                       4);
    NameFromLabel(cbxInterval, lbInterval);
    auto *lbSize = new PaneLabel(this, "lbSizeAuto", QStringLiteral("サイズ："), QPoint(8, 97));
    cbxSizeAuto
        = list(this, "cbxSizeAuto", QRect(64, 94, 86, 20),
               {QStringLiteral("120 x 120"), QStringLiteral("132 x 176"), QStringLiteral("240 x 320")}, 2);
    NameFromLabel(cbxSizeAuto, lbSize);
    auto *lbQuality = new PaneLabel(this, "lbQualityAuto", QStringLiteral("画質："), QPoint(158, 97));
    cbxQualityAuto = list(this, "cbxQualityAuto", QRect(192, 94, 42, 20),
                          {QStringLiteral("低"), QStringLiteral("中"), QStringLiteral("高")}, 2);
    NameFromLabel(cbxQualityAuto, lbQuality);

    auto *lbName = new PaneLabel(this, "lbNameAuto", QStringLiteral("名前："), QPoint(8, 125));
    cbxNameAuto = list(this, "cbxNameAuto", QRect(64, 122, 104, 20), {}, -1);
    NameFromLabel(cbxNameAuto, lbName);
    auto *lbAddress = new PaneLabel(this, "lbAddressAuto", QStringLiteral("アドレス："), QPoint(8, 151));
    cbxAddressAuto = list(this, "cbxAddressAuto", QRect(64, 148, 104, 20), {}, -1);
    NameFromLabel(cbxAddressAuto, lbAddress);
    btnAddressAuto
        = MakeMainButton(this, "btnAddressAuto", QRect(174, 120, 60, 50), QStringLiteral("アドレス\\n帳"));
    btnAddressAuto->setAccessibleName(QStringLiteral("アドレス帳"));

    chkNoSend = new TFlatCheckBox(this);
    chkNoSend->setObjectName(QStringLiteral("chkNoSend"));
    chkNoSend->setGeometry(8, 178, 14, 14);
    lbNoSend = new PaneLabel(this, "lbNoSend", QStringLiteral("撮影のみ"), QPoint(26, 178));
    NameFromLabel(chkNoSend, lbNoSend);

    btnResizeByHeightAuto = MakeMainButton(this, "btnResizeByHeightAuto", QRect(8, 200, 109, 26),
                                           QStringLiteral("高さを合わせる"));
    btnResizeByWidthAuto = MakeMainButton(this, "btnResizeByWidthAuto", QRect(125, 200, 109, 26),
                                          QStringLiteral("幅を合わせる"));
    for (TLabeledBmpBtn *b : {btnResizeByHeightAuto, btnResizeByWidthAuto})
        b->SetHold(true), b->SetHoldingKeep(true);
    btnResizeByWidthAuto->SetHolding(true);

    connect(this, &TFlatPanel::clicked, &model, &MainModel::PanelClick);
}

QList<TFlatComboBox *> AutoModePane::DropDownLists() const
{
    return {cbxInterval, cbxSizeAuto, cbxQualityAuto, cbxNameAuto, cbxAddressAuto};
}
