#include "dialogs/CameraDialogs.h"

#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/LabeledBmpBtn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

namespace {

constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

void paintBackground(QWidget *w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Colors::Back);
    pal.setColor(QPalette::WindowText, Colors::Text);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// 決定 and 中止 at the bottom right.
QHBoxLayout *buttonRow(QWidget *parent, TLabeledBmpBtn *&ok, TLabeledBmpBtn *&cancel)
{
    auto *row = new QHBoxLayout;
    row->addStretch();
    ok = MakeDialogButton(parent, "btnOk", QStringLiteral("　決定"), QRect(0, 0, 60, 24));
    cancel = MakeDialogButton(parent, "btnCancel", QStringLiteral("　中止"), QRect(0, 0, 60, 24));
    ok->setFixedSize(60, 24);
    cancel->setFixedSize(60, 24);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace

// ---- Format

CameraFormatDialog::CameraFormatDialog(const QList<CaptureFormat> &formats, int current, QWidget *parent)
    : QDialog(parent, kDialogFlags)
{
    setWindowTitle(QStringLiteral("映像フォーマット"));
    setModal(true);
    paintBackground(this);

    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(QStringLiteral("映像の大きさと形式："), this);
    lbxFormat = new QListWidget(this);
    lbxFormat->setObjectName(QStringLiteral("lbxFormat"));
    lbxFormat->setAccessibleName(QStringLiteral("映像の大きさと形式"));
    label->setBuddy(lbxFormat);
    for (const CaptureFormat &f : formats)
        lbxFormat->addItem(ItemText(f));
    if (current >= 0 && current < formats.size())
        lbxFormat->setCurrentRow(current);
    lbxFormat->setMinimumSize(200, 140);
    layout->addWidget(label);
    layout->addWidget(lbxFormat);
    layout->addLayout(buttonRow(this, btnOk, btnCancel));

    connect(btnOk, &TBmpBtn::clicked, this, [this] {
        if (Chosen() >= 0)
            accept();
    });
    connect(btnCancel, &TBmpBtn::clicked, this, &QDialog::reject);
    connect(lbxFormat, &QListWidget::itemActivated, this, [this] { accept(); });
}

QString CameraFormatDialog::ItemText(const CaptureFormat &format)
{
    return QStringLiteral("%1 x %2　%3")
        .arg(format.size.width())
        .arg(format.size.height())
        .arg(format.pixelFormat);
}

int CameraFormatDialog::Chosen() const
{
    return lbxFormat->currentRow();
}

// ---- Source

CameraSourceDialog::CameraSourceDialog(Read read, Apply apply, QWidget *parent)
    : QDialog(parent, kDialogFlags)
    , m_read(std::move(read))
    , m_apply(std::move(apply))
{
    setWindowTitle(QStringLiteral("映像ソース"));
    setModal(true);
    paintBackground(this);

    auto *layout = new QVBoxLayout(this);
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    auto *rows = new QWidget(scroll);
    paintBackground(rows);
    scroll->setWidget(rows);
    layout->addWidget(scroll);

    m_controls = m_read ? m_read() : QList<CaptureControl>();
    auto *grid = new QGridLayout(rows);
    int row = 0;
    for (const CaptureControl &c : std::as_const(m_controls)) {
        const quint32 id = c.id;
        switch (c.kind) {
        case CaptureControl::Kind::Boolean: {
            auto *box = new QCheckBox(c.name, rows);
            box->setAccessibleName(c.name);
            connect(box, &QCheckBox::toggled, this, [this, id](bool on) { change(id, on ? 1 : 0); });
            grid->addWidget(box, row, 1, 1, 2);
            m_inputs.insert(id, box);
            break;
        }
        case CaptureControl::Kind::Menu: {
            auto *label = new QLabel(c.name + QStringLiteral("："), rows);
            auto *list = new QComboBox(rows);
            list->setAccessibleName(c.name);
            label->setBuddy(list);
            for (const auto &[value, name] : c.menu)
                list->addItem(name, value);
            // Every change of the choice counts (keys, the accessibility interface), not only a click.
            connect(list, &QComboBox::currentIndexChanged, this, [this, id, list](int index) {
                if (index >= 0)
                    change(id, list->itemData(index).toInt());
            });
            grid->addWidget(label, row, 0);
            grid->addWidget(list, row, 1, 1, 2);
            m_inputs.insert(id, list);
            break;
        }
        case CaptureControl::Kind::Integer: {
            auto *label = new QLabel(c.name + QStringLiteral("："), rows);
            auto *slider = new QSlider(Qt::Horizontal, rows);
            slider->setAccessibleName(c.name);
            slider->setRange(c.minimum, c.maximum);
            slider->setSingleStep(c.step);
            slider->setPageStep(std::max(c.step, (c.maximum - c.minimum) / 10));
            slider->setMinimumWidth(180);
            label->setBuddy(slider);
            auto *value = new QLabel(rows);
            value->setMinimumWidth(40);
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            connect(slider, &QSlider::valueChanged, this, [this, id](int v) { change(id, v); });
            grid->addWidget(label, row, 0);
            grid->addWidget(slider, row, 1);
            grid->addWidget(value, row, 2);
            m_inputs.insert(id, slider);
            m_values.insert(id, value);
            break;
        }
        }
        ++row;
    }
    grid->setRowStretch(row, 1);
    rows->setMinimumWidth(grid->sizeHint().width());
    scroll->setMinimumHeight(std::min(420, grid->sizeHint().height() + 4));
    scroll->setMinimumWidth(grid->sizeHint().width() + 24);

    auto *buttons = new QHBoxLayout;
    auto *btnDefault = MakeDialogButton(this, "btnDefault", QStringLiteral("　標準"), QRect(0, 0, 60, 24));
    btnDefault->setFixedSize(60, 24);
    buttons->addWidget(btnDefault);
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    buttons->addLayout(buttonRow(this, btnOk, btnCancel));
    layout->addLayout(buttons);
    connect(btnDefault, &TBmpBtn::clicked, this, &CameraSourceDialog::btnDefaultClick);
    connect(btnOk, &TBmpBtn::clicked, this, &QDialog::accept);
    connect(btnCancel, &TBmpBtn::clicked, this, &QDialog::reject);

    refresh();
}

void CameraSourceDialog::keyPressEvent(QKeyEvent *event)
{
    if (!TakeDialogKey(event, [this] { accept(); }))
        QDialog::keyPressEvent(event);
}

void CameraSourceDialog::change(quint32 id, int value)
{
    if (m_refreshing)
        return;
    if (m_apply)
        m_apply(id, value);
    refresh();
}

void CameraSourceDialog::btnDefaultClick()
{
    // Backwards, so that a value ruled by an automatic switch is set while the switch still lets it.
    for (auto it = m_controls.crbegin(); it != m_controls.crend(); ++it) {
        if (m_apply)
            m_apply(it->id, it->defaultValue);
    }
    refresh();
}

void CameraSourceDialog::refresh()
{
    if (m_read)
        m_controls = m_read();
    m_refreshing = true;
    for (const CaptureControl &c : std::as_const(m_controls)) {
        QWidget *input = m_inputs.value(c.id);
        if (!input)
            continue;
        input->setEnabled(c.enabled);
        if (auto *slider = qobject_cast<QSlider *>(input))
            slider->setValue(c.value);
        else if (auto *box = qobject_cast<QCheckBox *>(input))
            box->setChecked(c.value != 0);
        else if (auto *list = qobject_cast<QComboBox *>(input))
            list->setCurrentIndex(list->findData(c.value));
        if (QLabel *value = m_values.value(c.id)) {
            value->setText(QString::number(c.value));
            value->setEnabled(c.enabled);
        }
    }
    m_refreshing = false;
}

// ---- Shown over the main window

std::optional<int> UiCaptureDialogs::ChooseFormat(const QList<CaptureFormat> &formats, int current)
{
    QPointer<CameraFormatDialog> dialog = new CameraFormatDialog(formats, current, m_parent);
    const int result = dialog->exec();
    std::optional<int> chosen;
    if (dialog && result == QDialog::Accepted && dialog->Chosen() >= 0)
        chosen = dialog->Chosen();
    delete dialog;
    return chosen;
}

bool UiCaptureDialogs::EditControls(const CameraSourceDialog::Read &read,
                                    const CameraSourceDialog::Apply &apply)
{
    QPointer<CameraSourceDialog> dialog = new CameraSourceDialog(read, apply, m_parent);
    const int result = dialog->exec();
    const bool accepted = dialog && result == QDialog::Accepted;
    delete dialog;
    return accepted;
}
