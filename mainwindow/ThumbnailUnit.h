#pragma once

#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/ThumbnailSet.h"

#include <QDialog>
#include <QImage>

class Prompt;
class FlatPanel;
class FlatScrollBar;
class TLabeledBmpBtn;
class TLoadingThumbnail;

// The grid image: the tiles with their names, and presses on it.
class ThumbnailGridView : public QWidget
{
    Q_OBJECT
public:
    explicit ThumbnailGridView(QWidget *parent = nullptr);

    // Draws the pictures for the grid's width: returns the columns used.
    int Draw(const QStringList &files, const QList<Bitmap> &tiles, int width, int minimumHeight);
    int Columns() const { return m_columns; }
    int Count() const { return int(m_names.size()); }
    QString Name(int index) const { return m_names.value(index); }
    int Selected() const { return m_selected; }
    void SetSelected(int index);

Q_SIGNALS:
    void pressed(QPoint pos);
    void keyPressed(int key);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QImage m_image;
    QStringList m_names;
    int m_columns = 1;
    int m_selected = -1;
};

// The selection frame: 68 x 68 around the selected tile; a double click on it is OK.
class SelectionFrame : public QWidget
{
    Q_OBJECT
public:
    explicit SelectionFrame(QWidget *parent = nullptr);

Q_SIGNALS:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// The thumbnail picker: a folder's pictures as a grid of tiles with their names, one selected. The
// tiles of the last folder are kept and shown again at once for the same folder.
class TThumbnail : public QDialog, public ThumbnailPicker
{
    Q_OBJECT
public:
    // The client size at which the grid is 484 pixels wide: six columns.
    static constexpr int kDesignWidth = 520;
    static constexpr int kDesignHeight = 316;

    // Centred on owner, not its child. threads 0: as many as the machine has (at most 4).
    TThumbnail(Prompt &prompt, TLoadingThumbnail &loading, QWidget *owner = nullptr, int threads = 0);

    bool ShowForFolder(const QString &folder) override;
    QString SelectedFile() const override { return m_set.SelectedFile(); }
    void MarkRebuildDue() override { m_set.MarkRebuildDue(); }

    const ThumbnailSet &Pictures() const { return m_set; }
    ThumbnailGridView *Grid() const { return imgThumbnail; }
    SelectionFrame *Cursor() const { return imgCursor; }
    FlatScrollBar *ScrollBar() const { return fsbImage; }
    QWidget *ClientArea() const { return pnlClient; }

    // Handlers, for the events and for tests.
    void btnOkClick();
    void btnCancelClick();
    void imgCursorDblClick();
    void imgThumbnailMouseDown(QPoint pos);
    void fsbImageChange(int position);
    void FormMouseWheel(int delta);
    void FormResize();

protected:
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void placeCursor();
    void gridKey(int key);

    ThumbnailSet m_set;
    TLoadingThumbnail &m_loading;
    QWidget *m_owner = nullptr;
    FlatPanel *pnlFrame = nullptr;
    QWidget *pnlClient = nullptr;
    ThumbnailGridView *imgThumbnail = nullptr;
    SelectionFrame *imgCursor = nullptr;
    FlatScrollBar *fsbImage = nullptr;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    bool m_shown = false;
};
