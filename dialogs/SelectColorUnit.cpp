#include "dialogs/SelectColorUnit.h"

#include "common/ApplicationTitle.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/Colors.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>

QColor ColorFromRgb(int rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int RgbOf(const QColor &color)
{
    return (color.red() << 16) | (color.green() << 8) | color.blue();
}

namespace {

FlatPanel *swatch(QWidget *parent, const char *name, const QString &spoken, const QRect &place)
{
    auto *panel = new FlatPanel(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(place);
    panel->SetBorderColor(Colors::Text);
    SetAccessibleRole(panel, QAccessible::Graphic);
    panel->setAccessibleName(spoken);
    return panel;
}

// A colour as the AT reads it out.
QString spokenColor(int rgb)
{
    return QStringLiteral("RGB(%1, %2, %3)").arg((rgb >> 16) & 0xFF).arg((rgb >> 8) & 0xFF).arg(rgb & 0xFF);
}

} // namespace

TSelectColor::TSelectColor(QWidget *parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 背景色の選択"));
    setModal(true);
    setFixedSize(212, 256);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, 212, 256);

    pnkChart = new FlatPanel(pnlBase);
    pnkChart->setObjectName(QStringLiteral("pnkChart"));
    pnkChart->setGeometry(8, 8, 194, 194);
    pnkChart->SetColor(Qt::white);
    pnkChart->SetBorderColor(Colors::Frame);

    // The 192 x 192 chart shown squeezed into 190 x 190; picking reads the view's point unscaled.
    imgChart = new QLabel(pnkChart);
    imgChart->setObjectName(QStringLiteral("imgChart"));
    imgChart->setGeometry(2, 2, 190, 190);
    imgChart->setScaledContents(true);
    imgChart->setMouseTracking(true);
    imgChart->setCursor(Qt::CrossCursor);
    imgChart->installEventFilter(this);
    imgChart->setAccessibleName(QStringLiteral("カラーチャート"));
    imgChart->setAccessibleDescription(
        QStringLiteral("左から右へ色相、上から下へ白から黒。クリックした点の色を選びます"));

    pnlPicker = swatch(pnlBase, "pnlPicker", QStringLiteral("ポインタの位置の色"), QRect(8, 204, 96, 17));
    pnlSelectColor = swatch(pnlBase, "pnlSelectColor", QStringLiteral("選択した色"), QRect(105, 204, 96, 17));

    btnOk = MakeDialogButton(pnlBase, "btnOk", QStringLiteral("　決定"), QRect(22, 226, 80, 24));
    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("　中止"), QRect(110, 226, 80, 24));
    connect(btnOk, &TBmpBtn::clicked, this, &TSelectColor::btnOkClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TSelectColor::btnCancelClick);
}

void TSelectColor::setSwatch(FlatPanel *panel, int &store, int rgb)
{
    store = rgb & 0xFFFFFF;
    panel->SetColor(ColorFromRgb(store));
    panel->setAccessibleDescription(spokenColor(store));
}

void TSelectColor::Prepare(int initial)
{
    // The chart drawn when the dialog is first wanted: many sessions never change the colour.
    if (m_chart.isNull()) {
        m_chart = Artwork::ColourChart();
        imgChart->setPixmap(QPixmap::fromImage(m_chart));
    }
    m_initial = initial & 0xFFFFFF;
    setSwatch(pnlSelectColor, m_selected, m_initial);
    setSwatch(pnlPicker, m_picker, m_initial);

    CentreOver(this, QApplication::activeWindow());
}

int TSelectColor::Pick(int initial)
{
    Prepare(initial);
    const QPointer<TSelectColor> self(this);
    const int result = exec();
    return self && result == QDialog::Accepted ? m_selected : -1;
}

int TSelectColor::chartColor(QPoint pos) const
{
    const int x = qBound(0, pos.x(), m_chart.width() - 1);
    const int y = qBound(0, pos.y(), m_chart.height() - 1);
    return int(m_chart.pixel(x, y) & 0xFFFFFF);
}

void TSelectColor::imgChartMouseMove(QPoint pos)
{
    setSwatch(pnlPicker, m_picker, chartColor(pos));
}

void TSelectColor::imgChartMouseDown(QPoint pos)
{
    setSwatch(pnlSelectColor, m_selected, chartColor(pos));
}

bool TSelectColor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == imgChart) {
        if (event->type() == QEvent::MouseMove)
            imgChartMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
        else if (event->type() == QEvent::MouseButtonPress)
            imgChartMouseDown(static_cast<QMouseEvent *>(event)->position().toPoint());
    }
    return QDialog::eventFilter(watched, event);
}

void TSelectColor::btnOkClick()
{
    accept();
}

void TSelectColor::btnCancelClick()
{
    setSwatch(pnlSelectColor, m_selected, m_initial);
    reject();
}
