#include "mainwindow/AutoModePane.h"

#include "mail/AddressBook.h"
#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/CameraModel.h"
#include "mainwindow/model/MainModel.h"
#include "mainwindow/model/ScheduleModel.h"
#include "widgets/Accessibility.h"
#include "widgets/Binding.h"
#include "widgets/FlatCheckBox.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLineEdit>

namespace {

FlatEdit *numberDisplay(QWidget *parent, const char *name, const QRect &place, const QString &accessibleName)
{
    auto *edit = new FlatEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(place);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight);
    edit->setAccessibleName(accessibleName);
    return edit;
}

FlatComboBox *list(QWidget *parent, const char *name, const QRect &place, const QStringList &items)
{
    auto *box = new FlatComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    box->SetItems(items);
    return box;
}

// The recipient lists show a name or address that may come from the address book, not from their
// items: they show text, but take none typed.
FlatComboBox *recipientList(QWidget *parent, const char *name, const QRect &place)
{
    FlatComboBox *box = list(parent, name, place, {});
    box->SetEditable(true);
    box->lineEdit()->setReadOnly(true);
    return box;
}

} // namespace

AutoModePane::AutoModePane(MainModel &model, QWidget *parent)
    : Pane("pnlAutoMode", model, parent)
    , m_schedule(model.SchedulePart())
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

    auto *lbInterval = new PaneLabel(this, "lbInterval", QStringLiteral("間隔："), QPoint(8, 71));
    cbxInterval = list(this, "cbxInterval", QRect(64, 68, 104, 20), ScheduleModel::IntervalItems());
    NameFromLabel(cbxInterval, lbInterval);
    auto *lbSize = new PaneLabel(this, "lbSizeAuto", QStringLiteral("サイズ："), QPoint(8, 97));
    cbxSizeAuto = list(this, "cbxSizeAuto", QRect(64, 94, 86, 20), ScheduleModel::SizeItems());
    NameFromLabel(cbxSizeAuto, lbSize);
    auto *lbQuality = new PaneLabel(this, "lbQualityAuto", QStringLiteral("画質："), QPoint(158, 97));
    cbxQualityAuto = list(this, "cbxQualityAuto", QRect(192, 94, 42, 20), ScheduleModel::QualityItems());
    NameFromLabel(cbxQualityAuto, lbQuality);

    auto *lbName = new PaneLabel(this, "lbNameAuto", QStringLiteral("名前："), QPoint(8, 125));
    cbxNameAuto = recipientList(this, "cbxNameAuto", QRect(64, 122, 104, 20));
    NameFromLabel(cbxNameAuto, lbName);
    auto *lbAddress = new PaneLabel(this, "lbAddressAuto", QStringLiteral("アドレス："), QPoint(8, 151));
    cbxAddressAuto = recipientList(this, "cbxAddressAuto", QRect(64, 148, 104, 20));
    NameFromLabel(cbxAddressAuto, lbAddress);
    btnAddressAuto
        = MakeMainButton(this, "btnAddressAuto", QRect(174, 120, 60, 50), QStringLiteral("アドレス\\n帳"));
    btnAddressAuto->setAccessibleName(QStringLiteral("アドレス帳"));

    chkNoSend = new FlatCheckBox(this);
    chkNoSend->setObjectName(QStringLiteral("chkNoSend"));
    chkNoSend->setGeometry(8, 178, 14, 14);
    lbNoSend = new PaneLabel(this, "lbNoSend", QStringLiteral("撮影のみ"), QPoint(26, 178));
    NameFromLabel(chkNoSend, lbNoSend);

    btnResizeByHeightAuto = MakeMainButton(this, "btnResizeByHeightAuto", QRect(8, 200, 109, 26),
                                           QStringLiteral("高さを合わせる"));
    btnResizeByWidthAuto = MakeMainButton(this, "btnResizeByWidthAuto", QRect(125, 200, 109, 26),
                                          QStringLiteral("幅を合わせる"));
    // Held looks that show the schedule's and the camera's state.
    for (TLabeledBmpBtn *b : {btnStartTime, btnPassingTime, btnResizeByHeightAuto, btnResizeByWidthAuto})
        b->SetHold(true), b->SetHoldingKeep(true);

    ScheduleModel &s = m_schedule;
    CameraModel &camera = model.CameraPart();
    button(btnHUp, [&s] { s.btnHUpClick(); });
    button(btnHDown, [&s] { s.btnHDownClick(); });
    button(btnMUp, [&s] { s.btnMUpClick(); });
    button(btnMDown, [&s] { s.btnMDownClick(); });
    button(
        btnStartTime, [&s] { s.btnStartTimeClick(); }, true);
    button(
        btnPassingTime, [&s] { s.btnPassingTimeClick(); }, true);
    button(btnAddressAuto, [&model] { model.btnAddressAutoClick(); });
    button(
        btnResizeByHeightAuto, [&camera] { camera.btnResizeByHeightCameraMouseDown(); }, true);
    button(
        btnResizeByWidthAuto, [&camera] { camera.btnResizeByWidthCameraMouseDown(); }, true);
    connect(cbxInterval, &FlatComboBox::changed, this,
            [this] { m_schedule.cbxIntervalChange(cbxInterval->ItemIndex()); });
    connect(cbxSizeAuto, &FlatComboBox::changed, this,
            [this] { m_schedule.cbxSizeAutoChange(cbxSizeAuto->ItemIndex()); });
    connect(cbxQualityAuto, &FlatComboBox::changed, this,
            [this] { m_schedule.cbxQualityAutoChange(cbxQualityAuto->ItemIndex()); });
    connect(cbxNameAuto, &FlatComboBox::changed, this, [this] {
        m_model.PanelClick();
        m_schedule.cbxNameAutoChange(cbxNameAuto->ItemIndex());
    });
    connect(cbxAddressAuto, &FlatComboBox::changed, this, [this] {
        m_model.PanelClick();
        m_schedule.cbxAddressAutoChange(cbxAddressAuto->ItemIndex());
    });
    // The box toggles itself on the press (or the space key) before its handler runs; the handler
    // toggles capture only the same way.
    connect(chkNoSend, &QCheckBox::toggled, this, [this](bool on) {
        m_model.PanelClick();
        if (on != m_schedule.CaptureOnly())
            m_schedule.chkNoSendMouseDown();
    });
    connect(lbNoSend, &PaneLabel::clicked, this, [this] {
        m_model.PanelClick();
        m_schedule.lbNoSendMouseDown();
    });

    // The numbers and the recipient show the schedule; they take nothing in, whatever tries.
    auto nothing = [](const QString &) { };
    m_shown = {
        TextBinding::Bind(
            edtHour, [&s] { return s.HourText(); }, nothing),
        TextBinding::Bind(
            edtMin, [&s] { return s.MinuteText(); }, nothing),
        TextBinding::Bind(
            cbxNameAuto, [&s] { return s.ShownName(); }, nothing),
        TextBinding::Bind(
            cbxAddressAuto, [&s] { return s.ShownAddress(); }, nothing),
    };

    connect(&s, &ScheduleModel::panelChanged, this, &AutoModePane::Refresh);
    connect(&camera, &CameraModel::stateChanged, this, &AutoModePane::Refresh);
    connect(&model.Recipient(), &RecipientModel::listsRefilled, this, &AutoModePane::RefillLists);
    RefillLists();
}

void AutoModePane::button(TLabeledBmpBtn *b, const std::function<void()> &handler, bool mouseDown)
{
    OnButton(
        b,
        [this, handler] {
            handler();
            Refresh();
        },
        mouseDown);
}

void AutoModePane::RefillLists()
{
    QStringList names, addresses;
    const TAddressBook &history = m_model.History();
    for (int i = 0; i < history.Count(); ++i) {
        names << history.Get(i).Name;
        addresses << history.Get(i).Address;
    }
    cbxNameAuto->SetItems(names);
    cbxAddressAuto->SetItems(addresses);
    Refresh();
}

void AutoModePane::Refresh()
{
    const ScheduleModel &s = m_schedule;
    btnStartTime->SetHolding(s.StartTimeHeld());
    btnPassingTime->SetHolding(s.PassingTimeHeld());
    const CameraModel &camera = m_model.CameraPart();
    btnResizeByHeightAuto->SetHolding(camera.FitHeightHeld());
    btnResizeByWidthAuto->SetHolding(camera.FitWidthHeld());
    cbxInterval->SetItemIndex(s.IntervalIndex());
    cbxSizeAuto->SetItemIndex(s.SizeIndex());
    cbxQualityAuto->SetItemIndex(s.QualityIndex());
    for (FlatComboBox *box : {cbxNameAuto, cbxAddressAuto}) {
        const QSignalBlocker quiet(box);
        box->SetItemIndex(s.SelectedIndex());
    }
    for (TextBinding *shown : std::as_const(m_shown))
        shown->Show();
    {
        const QSignalBlocker quiet(chkNoSend);
        chkNoSend->setChecked(s.CaptureOnly());
    }
    const bool recipients = s.RecipientControlsEnabled();
    for (QWidget *w : {static_cast<QWidget *>(chkNoSend), static_cast<QWidget *>(lbNoSend),
                       static_cast<QWidget *>(cbxNameAuto), static_cast<QWidget *>(cbxAddressAuto)})
        w->setEnabled(recipients);
    btnAddressAuto->SetEnabled(recipients);
}
