#include "dialogs/SendingUnit.h"

#include "common/ApplicationTitle.h"
#include "mail/MailClients.h"
#include "widgets/Colors.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kStatusColor(255, 128, 64);
const QColor kBarColor(127, 0, 30);
const QColor kBarBorder(255, 155, 255);

// The background: a pale wash with an envelope flying to a handset, drawn around the bar and the
// status line.
QPixmap background(QSize size)
{
    QPixmap picture(size);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient wash(0, 0, 0, size.height());
    wash.setColorAt(0, Colors::ListBack);
    wash.setColorAt(1, Qt::white);
    p.fillRect(picture.rect(), wash);

    // Envelope above the bar.
    const QRectF envelope(84, 8, 34, 22);
    p.setPen(QPen(Colors::Frame, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(envelope, 2, 2);
    QPainterPath flap;
    flap.moveTo(envelope.topLeft());
    flap.lineTo(envelope.center().x(), envelope.top() + 12);
    flap.lineTo(envelope.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);

    // Dots from the bar down to the handset.
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::Frame);
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(101, 56 + i * 5), 1.2, 1.2);

    // The handset.
    const QRectF phone(92, 70, 18, 26);
    p.setPen(QPen(kBarColor, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(phone, 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 224, 120));
    p.drawRect(phone.adjusted(3, 4, -3, -9));
    return picture;
}

} // namespace

TSending::TSending(MailClients &clients, QWidget *over)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_clients(clients)
    , m_over(over)
{
    setObjectName(QStringLiteral("Sending"));
    setWindowTitle(ApplicationTitle());
    setFixedSize(kWidth, kHeight);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->setGeometry(0, 0, kWidth, kHeight);
    pnlBase->SetColor(Qt::white);

    imgBack = new QLabel(pnlBase);
    imgBack->setObjectName(QStringLiteral("imgBack"));
    imgBack->setGeometry(1, 1, 202, 152);
    imgBack->setAccessibleName(QString()); // decoration

    pbSending = new FlatProgressBar(pnlBase);
    pbSending->setObjectName(QStringLiteral("pbSending"));
    pbSending->setGeometry(62, 41, 80, 9);
    pbSending->SetBarColor(kBarColor);
    pbSending->SetBorderColor(kBarBorder);
    pbSending->setRange(0, 100);
    pbSending->setAccessibleName(QStringLiteral("送信の進み具合"));

    lbStatus = new QLabel(pnlBase);
    lbStatus->setObjectName(QStringLiteral("lbStatus"));
    lbStatus->setGeometry(8, 100, 193, 12);
    lbStatus->setAlignment(Qt::AlignCenter);
    lbStatus->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = lbStatus->palette();
    pal.setColor(QPalette::WindowText, kStatusColor);
    lbStatus->setPalette(pal);

    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("　　中止"), QRect(61, 118, 80, 24));
    connect(btnCancel, &TBmpBtn::clicked, this, &TSending::btnCancelClick);
}

void TSending::ShowSendingStatus(const QString &text)
{
    lbStatus->setText(text);
}

void TSending::SetProgressRange(int minimum, int maximum)
{
    pbSending->setRange(minimum, maximum);
}

void TSending::SetProgressPosition(int position)
{
    // A position past the end would be ignored, and the bar would stand still.
    pbSending->setValue(qBound(pbSending->minimum(), position, pbSending->maximum()));
}

int TSending::ProgressMaximum() const
{
    return pbSending->maximum();
}

void TSending::Repaint()
{
    if (isVisible())
        repaint();
}

void TSending::ShowWindow()
{
    // The background drawn when the window is first wanted, not at start.
    if (imgBack->pixmap().isNull())
        imgBack->setPixmap(background(imgBack->size()));
    m_cancelled = false;
    // Without a window of its own to go over, over the one the user is working in.
    CentreOver(this, m_over ? m_over.data() : QApplication::activeWindow());
    show();
    raise();
}

void TSending::HideWindow()
{
    hide();
}

bool TSending::IsShowing() const
{
    return isVisible();
}

void TSending::showEvent(QShowEvent *event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TSending::FormShow()
{
    btnCancel->SetHolding(false);
    m_cancelled = false;
}

void TSending::keyPressEvent(QKeyEvent *event)
{
    // The picture button takes no focus: Esc is the keyboard's way to cancel.
    if (event->key() == Qt::Key_Escape) {
        btnCancelClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TSending::btnCancelClick()
{
    m_cancelled = true;
    hide();
    close();
    m_clients.Disconnect(m_activeClient);
}
