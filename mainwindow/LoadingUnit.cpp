#include "mainwindow/LoadingUnit.h"

#include "widgets/Colors.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatProgressBar.h"
#include "widgets/LabeledBmpBtn.h"
#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWindow>

QImage TileImage(const Bitmap &tile)
{
    if (tile.isNull())
        return QImage();
    const Bitmap rgb
        = tile.format() == Bitmap::Format::Bgr24 ? tile : tile.convertedTo(Bitmap::Format::Bgr24);
    return QImage(rgb.scanLine(0), rgb.width(), rgb.height(), rgb.bytesPerLine(), QImage::Format_BGR888)
        .copy();
}

void PlaceOverOwner(QWidget *window, QWidget *owner)
{
    // Without an owner of its own it goes over the window the user is working in.
    if (!owner)
        if (QWidget *active = QApplication::activeWindow(); active != window)
            owner = active;
    CentreOver(window, owner); // makes the native window too
    if (owner && owner->windowHandle() && window->windowHandle())
        window->windowHandle()->setTransientParent(owner->windowHandle());
}

TLoadingThumbnail::TLoadingThumbnail(QWidget *owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_owner(owner)
{
    setWindowModality(Qt::ApplicationModal);
    setAccessibleName(QStringLiteral("サムネイル作成中"));

    pnlBase = new FlatPanel(this);
    pnlBase->setObjectName(QStringLiteral("pnlBase"));
    pnlBase->SetBorderColor(Colors::Frame);
    pnlBase->setGeometry(0, 0, 184, 80);

    imgLoadingThumbnail = new QLabel(pnlBase);
    imgLoadingThumbnail->setObjectName(QStringLiteral("imgLoadingThumbnail"));
    imgLoadingThumbnail->setGeometry(8, 8, 64, 64);
    imgLoadingThumbnail->setAccessibleName(QStringLiteral("作成したサムネイル"));

    pbLoading = new FlatProgressBar(pnlBase);
    pbLoading->setObjectName(QStringLiteral("pbLoading"));
    pbLoading->setGeometry(80, 16, 96, 9);
    pbLoading->setAccessibleName(QStringLiteral("進行状況"));

    btnCancel = MakeDialogButton(pnlBase, "btnCancel", QStringLiteral("　中止"), QRect(96, 44, 80, 24));
    connect(btnCancel, &TBmpBtn::clicked, this, &TLoadingThumbnail::btnCancelClick);

    // It sizes itself to its panel.
    setFixedSize(pnlBase->size());
}

void TLoadingThumbnail::Begin(int count)
{
    pbLoading->reset();
    pbLoading->setRange(0, std::max(count, 1));
    pbLoading->setValue(0);
    imgLoadingThumbnail->clear();
    PlaceOverOwner(this, m_owner);
    show();
    raise();
}

void TLoadingThumbnail::ShowTile(const Bitmap &tile, int progress)
{
    imgLoadingThumbnail->setPixmap(QPixmap::fromImage(TileImage(tile)));
    pbLoading->setValue(progress);
}

void TLoadingThumbnail::End()
{
    hide();
}

void TLoadingThumbnail::showEvent(QShowEvent *event)
{
    FormShow();
    QWidget::showEvent(event);
}

void TLoadingThumbnail::FormShow()
{
    m_cancelled = false;
}

void TLoadingThumbnail::btnCancelClick()
{
    m_cancelled = true;
}

void TLoadingThumbnail::keyPressEvent(QKeyEvent *event)
{
    // The picture button takes no keys; Esc does what it does.
    if (event->key() == Qt::Key_Escape) {
        btnCancelClick();
        return;
    }
    QWidget::keyPressEvent(event);
}
