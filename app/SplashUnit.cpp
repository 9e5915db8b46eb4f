#include "app/SplashUnit.h"

#include "app/BuiltArtwork.h"
#include "common/UserData.h"
#include "widgets/Artwork.h"
#include "widgets/Colors.h"
#include "widgets/FlatPanel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>

TSplash::TSplash(const TUserData &settings, bool fading, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_fading(fading)
{
    setFixedSize(130, 130);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName("pnlBase");
    pnlBase->setGeometry(0, 0, 130, 130);
    pnlBase->SetColor(Qt::white);
    pnlBase->SetBorderColor(Colors::Frame);

    imgLogo = new QLabel(pnlBase);
    imgLogo->setGeometry(1, 1, 128, 128);
    imgLogo->setScaledContents(true);
    // Drawn at build time; drawn here only if the program was built without it.
    const QImage logo = BuiltSplashLogo();
    imgLogo->setPixmap(logo.isNull() ? Artwork::Logo() : QPixmap::fromImage(logo));

    lbVersion = new QLabel(pnlBase);
    lbVersion->setObjectName("lbVersion");
    lbVersion->setAttribute(Qt::WA_TranslucentBackground);
    QPalette purple = lbVersion->palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    lbVersion->setPalette(purple);
    lbVersion->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lbVersion->setText(QStringLiteral("Version %1.%2").arg(settings.Major).arg(settings.Minor));
    // Right-aligned at x = 125 and sized to its text, like an auto-sized label.
    const QSize text = lbVersion->sizeHint();
    lbVersion->setGeometry(125 - text.width(), 111, text.width(), text.height());

    tmAlpha.setInterval(1);
    tmWait.setInterval(kWaitMs);
    tmWait.setSingleShot(false);
    connect(&tmAlpha, &QTimer::timeout, this, &TSplash::tmAlphaTimer);
    connect(&tmWait, &QTimer::timeout, this, &TSplash::tmWaitTimer);

    m_opacity = m_fading ? 7 : 255;
    if (m_fading)
        setWindowOpacity(m_opacity / 255.0);

    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect s = screen->geometry();
        move(s.x() + (s.width() - width()) / 2, s.y() + (s.height() - height()) / 2);
    }
}

bool TSplash::PlatformFades()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows");
}

QString TSplash::VersionText() const
{
    return lbVersion->text();
}

void TSplash::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TSplash::FormShow()
{
    if (m_fading)
        tmAlpha.start();
    else
        tmWait.start();
}

void TSplash::tmAlphaTimer()
{
    m_opacity += 8;
    setWindowOpacity(qMin(m_opacity, 255) / 255.0);
    repaint();
    QApplication::processEvents();
    if (m_opacity > 254) {
        tmAlpha.stop();
        tmWait.start();
    }
}

void TSplash::tmWaitTimer()
{
    tmWait.stop();
    hide();
}
