#pragma once

#include "mainwindow/model/ThumbnailSet.h"

#include <QImage>
#include <QWidget>

class QLabel;
class FlatPanel;
class FlatProgressBar;
class TLabeledBmpBtn;

// A tile as a picture for the screen.
QImage TileImage(const Bitmap &tile);

// Centres a window of the picture sources on its owner (the screen without one) and keeps it in front
// of the owner. These windows are not the owner's children: the owner is disabled while they run,
// and that would disable its children too.
void PlaceOverOwner(QWidget *window, QWidget *owner);

// The small window that shows the tiles being made: the last tile, the progress and a cancel
// button. It blocks the other windows while it shows, so that nothing starts a second run while the
// loop processes their events.
class TLoadingThumbnail : public QWidget, public LoadingView
{
    Q_OBJECT
public:
    // Centred on owner when it shows; not its child.
    explicit TLoadingThumbnail(QWidget *owner = nullptr);

    void Begin(int count) override;
    void ShowTile(const Bitmap &tile, int progress) override;
    bool Cancelled() const override { return m_cancelled; }
    void End() override;

    QLabel *Picture() const { return imgLoadingThumbnail; }
    FlatProgressBar *Progress() const { return pbLoading; }
    TLabeledBmpBtn *CancelButton() const { return btnCancel; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();
    void btnCancelClick();

    QWidget *m_owner = nullptr;
    FlatPanel *pnlBase = nullptr;
    QLabel *imgLoadingThumbnail = nullptr;
    QLabel *lbLoading = nullptr;
    FlatProgressBar *pbLoading = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    bool m_cancelled = false;
};
