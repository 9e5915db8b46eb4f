#include "mainwindow/ThumbnailUnit.h"

#include "common/ApplicationTitle.h"
#include "common/Clock.h"
#include "mainwindow/LoadingUnit.h"
#include "widgets/Colors.h"
#include "widgets/DialogKeys.h"
#include "widgets/FlatPanel.h"
#include "widgets/FlatScrollBar.h"
#include "widgets/LabeledBmpBtn.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QWheelEvent>
#include <QWindow>

#include <map>

namespace {

// One tile of the grid for screen readers: a list item named by its file, pressed to select it.
class TileAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    TileAccessible(ThumbnailGridView *grid, int index)
        : m_grid(grid)
        , m_index(index)
    { }
    bool isValid() const override { return m_grid && m_index < m_grid->Count(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? m_grid->Name(m_index) : QString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QPoint at = ThumbnailGrid::TileOrigin(m_index, m_grid->Columns());
        return QRect(m_grid->mapToGlobal(at), QSize(ThumbnailGrid::Tile, ThumbnailGrid::Tile));
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        s.selectable = true;
        s.selected = isValid() && m_grid->Selected() == m_index;
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this)
                                                    : nullptr;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &name) override
    {
        if (name == pressAction() && isValid())
            Q_EMIT m_grid->pressed(ThumbnailGrid::TileOrigin(m_index, m_grid->Columns()) + QPoint(8, 8));
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<ThumbnailGridView> m_grid;
    int m_index;
};

// The grid for screen readers: a list of its tiles.
class GridAccessible : public QAccessibleWidget
{
public:
    explicit GridAccessible(QWidget *w)
        : QAccessibleWidget(w, QAccessible::List, QStringLiteral("画像一覧"))
    { }
    ~GridAccessible() override
    {
        for (const auto &[index, id] : m_children)
            QAccessible::deleteAccessibleInterface(id);
    }
    ThumbnailGridView *grid() const { return static_cast<ThumbnailGridView *>(widget()); }
    int childCount() const override { return grid()->Count(); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || index >= childCount())
            return nullptr;
        auto found = m_children.find(index);
        if (found == m_children.end())
            found = m_children
                        .emplace(index,
                                 QAccessible::registerAccessibleInterface(new TileAccessible(grid(), index)))
                        .first;
        return QAccessible::accessibleInterface(found->second);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (const auto &[index, id] : m_children) {
            if (QAccessible::accessibleInterface(id) == child)
                return index;
        }
        return -1;
    }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? QStringLiteral("画像一覧") : QAccessibleWidget::text(t);
    }

private:
    mutable std::map<int, QAccessible::Id> m_children;
};

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ThumbnailGridView") && object && object->isWidgetType())
        return new GridAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

// ---- ThumbnailGridView

ThumbnailGridView::ThumbnailGridView(QWidget *parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(gridFactory);
        return true;
    }();
    (void)installed;
    setObjectName(QStringLiteral("imgThumbnail"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int ThumbnailGridView::Draw(const QStringList &files, const QList<Bitmap> &tiles, int width,
                            int minimumHeight)
{
    m_columns = ThumbnailGrid::Columns(width);
    m_names.clear();
    for (const QString &file : files)
        m_names << QFileInfo(file).fileName();
    const int rows = ThumbnailGrid::Rows(int(files.size()), m_columns);
    m_image
        = QImage(std::max(width, 1), std::max(rows * ThumbnailGrid::CellHeight, std::max(minimumHeight, 1)),
                 QImage::Format_RGB32);
    m_image.fill(Colors::Back);
    QPainter p(&m_image);
    p.setFont(font());
    p.setPen(Colors::Text);
    const QFontMetrics metrics(font());
    for (int k = 0; k < files.size() && k < tiles.size(); ++k) {
        p.drawImage(ThumbnailGrid::TileOrigin(k, m_columns), TileImage(tiles[k]));
        // Long names are shortened in the middle rather than run into their neighbours.
        const QString name = metrics.elidedText(QFileInfo(files[k]).completeBaseName(), Qt::ElideMiddle,
                                                ThumbnailGrid::CellWidth - 2);
        const QPoint at = ThumbnailGrid::NameOrigin(k, m_columns, metrics.horizontalAdvance(name));
        p.drawText(at.x(), at.y() + metrics.ascent(), name);
    }
    p.end();
    resize(m_image.size());
    update();
    return m_columns;
}

void ThumbnailGridView::SetSelected(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    if (QAccessible::isActive() && index >= 0) {
        QAccessibleEvent event(this, QAccessible::Selection);
        event.setChild(index);
        QAccessible::updateAccessibility(&event);
    }
}

void ThumbnailGridView::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), m_image, event->rect());
}

void ThumbnailGridView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    Q_EMIT pressed(event->position().toPoint());
}

void ThumbnailGridView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        Q_EMIT keyPressed(event->key());
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

// ---- SelectionFrame

SelectionFrame::SelectionFrame(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("imgCursor"));
    resize(ThumbnailGrid::FrameSide, ThumbnailGrid::FrameSide);
}

void SelectionFrame::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(Colors::Frame);
    // A two-pixel frame just outside the tile; the tile shows through.
    const QRect r = rect();
    p.drawRect(0, 0, r.width(), 2);
    p.drawRect(0, r.height() - 2, r.width(), 2);
    p.drawRect(0, 0, 2, r.height());
    p.drawRect(r.width() - 2, 0, 2, r.height());
}

void SelectionFrame::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}

// ---- TThumbnail

TThumbnail::TThumbnail(Prompt &prompt, TLoadingThumbnail &loading, QWidget *owner, int threads)
    : QDialog(nullptr,
              Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_set(prompt, SystemClock(), {}, threads)
    , m_loading(loading)
    , m_owner(owner)
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - 画像選択"));
    setModal(true);
    setMinimumSize(100, 100);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::Back);
    setPalette(pal);

    pnlFrame = new FlatPanel(this);
    pnlFrame->setObjectName(QStringLiteral("pnlFrame"));
    pnlFrame->SetColor(Colors::Back);
    pnlFrame->SetBorderColor(Colors::Frame);

    pnlClient = new QWidget(pnlFrame);
    pnlClient->setObjectName(QStringLiteral("pnlClient"));
    pnlClient->setAutoFillBackground(true);
    pnlClient->setPalette(pal);

    imgThumbnail = new ThumbnailGridView(pnlClient);
    imgThumbnail->setAccessibleName(QStringLiteral("画像一覧"));
    imgCursor = new SelectionFrame(pnlClient);
    imgCursor->setAccessibleName(QStringLiteral("選択枠"));
    imgCursor->hide();

    fsbImage = new FlatScrollBar(Qt::Vertical, this);
    fsbImage->setObjectName(QStringLiteral("fsbImage"));
    fsbImage->setAccessibleName(QStringLiteral("スクロール"));
    fsbImage->setFocusPolicy(Qt::NoFocus);

    btnOk = MakeDialogButton(this, "btnOk", QStringLiteral("　決定"), QRect(0, 0, 80, 24));
    btnCancel = MakeDialogButton(this, "btnCancel", QStringLiteral("　中止"), QRect(0, 0, 80, 24));

    connect(btnOk, &TBmpBtn::clicked, this, &TThumbnail::btnOkClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TThumbnail::btnCancelClick);
    connect(imgCursor, &SelectionFrame::doubleClicked, this, &TThumbnail::imgCursorDblClick);
    connect(imgThumbnail, &ThumbnailGridView::pressed, this, &TThumbnail::imgThumbnailMouseDown);
    connect(imgThumbnail, &ThumbnailGridView::keyPressed, this, &TThumbnail::gridKey);
    connect(fsbImage, &QScrollBar::valueChanged, this, &TThumbnail::fsbImageChange);

    resize(kDesignWidth, kDesignHeight);
    FormResize();
}

bool TThumbnail::ShowForFolder(const QString &folder)
{
    if (!m_set.Prepare(folder, m_loading))
        return false;
    m_shown = true;
    imgThumbnail->SetSelected(0);
    // Centred on the owner at every showing.
    PlaceOverOwner(this, m_owner);
    FormResize();
    imgThumbnail->setFocus(Qt::OtherFocusReason);
    const QPointer<TThumbnail> self(this);
    const int result = exec();
    if (!self)
        return false;
    m_set.Finished();
    return result == QDialog::Accepted && !m_set.SelectedFile().isEmpty();
}

void TThumbnail::FormResize()
{
    const int w = width();
    const int h = height();
    pnlFrame->setGeometry(8, 8, std::max(w - 34, 3), std::max(h - 48, 3));
    fsbImage->setGeometry(w - 24, 8, 16, std::max(h - 48, 3));
    btnCancel->move(w - 88, h - 32);
    btnOk->move(w - 176, h - 32);

    // The scroll position goes back to the top, the client area fills its frame less a pixel a side.
    fsbImage->blockSignals(true);
    fsbImage->setValue(0);
    fsbImage->blockSignals(false);
    pnlClient->setGeometry(1, 1, pnlFrame->width() - 2, pnlFrame->height() - 2);
    if (!m_shown)
        return;
    imgThumbnail->Draw(m_set.Files(), m_set.Tiles(), pnlClient->width(), pnlClient->height());
    imgThumbnail->move(0, 0);
    const int visible = pnlClient->height();
    fsbImage->setRange(0, std::max(imgThumbnail->height() - visible, 0));
    fsbImage->setSingleStep(ThumbnailGrid::CellHeight);
    fsbImage->setPageStep(ThumbnailGrid::PageStep(visible));
    fsbImage->setValue(0);
    placeCursor();
}

void TThumbnail::placeCursor()
{
    const int k = m_set.SelectedIndex();
    if (k < 0) {
        imgCursor->hide();
        return;
    }
    imgThumbnail->SetSelected(k);
    imgCursor->move(ThumbnailGrid::FrameOrigin(k, imgThumbnail->Columns()) + imgThumbnail->pos());
    imgCursor->show();
    imgCursor->raise();
}

void TThumbnail::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TThumbnail::fsbImageChange(int position)
{
    imgThumbnail->move(0, -position);
    placeCursor();
}

void TThumbnail::FormMouseWheel(int delta)
{
    const int step = ThumbnailGrid::CellHeight;
    fsbImage->setValue(fsbImage->value() + (delta < 0 ? step : -step));
}

void TThumbnail::wheelEvent(QWheelEvent *event)
{
    if (event->angleDelta().y() != 0)
        FormMouseWheel(event->angleDelta().y());
    event->accept();
}

void TThumbnail::imgThumbnailMouseDown(QPoint pos)
{
    const int k = ThumbnailGrid::PictureAt(pos, imgThumbnail->Columns(), int(m_set.Files().size()));
    if (k < 0)
        return;
    m_set.Select(k);
    placeCursor();
}

void TThumbnail::gridKey(int key)
{
    const int count = int(m_set.Files().size());
    const int columns = imgThumbnail->Columns();
    int k = m_set.SelectedIndex();
    switch (key) {
    case Qt::Key_Left:
        k -= 1;
        break;
    case Qt::Key_Right:
        k += 1;
        break;
    case Qt::Key_Up:
        k -= columns;
        break;
    case Qt::Key_Down:
        k += columns;
        break;
    case Qt::Key_Home:
        k = 0;
        break;
    case Qt::Key_End:
        k = count - 1;
        break;
    }
    if (k < 0 || k >= count)
        return;
    m_set.Select(k);
    // Keep the selection in view.
    const int top = ThumbnailGrid::CellHeight * (k / columns);
    if (top < fsbImage->value())
        fsbImage->setValue(top);
    else if (top + ThumbnailGrid::CellHeight > fsbImage->value() + pnlClient->height())
        fsbImage->setValue(top + ThumbnailGrid::CellHeight - pnlClient->height());
    placeCursor();
}

void TThumbnail::keyPressEvent(QKeyEvent *event)
{
    if (!TakeDialogKey(
            event, [this] { btnOkClick(); }, [this] { btnCancelClick(); }))
        QDialog::keyPressEvent(event);
}

void TThumbnail::btnOkClick()
{
    accept();
}

void TThumbnail::imgCursorDblClick()
{
    accept();
}

void TThumbnail::btnCancelClick()
{
    reject();
}
