#include "widgets/FlatListBox.h"

#include "widgets/Colors.h"
#include "widgets/FlatScrollBar.h"

#include <QStyledItemDelegate>
#include <QWheelEvent>

namespace {

// Every row as high as the list says.
class RowDelegate : public QStyledItemDelegate
{
public:
    explicit RowDelegate(TFlatListBox *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    { }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_list->ItemHeight()};
    }

private:
    TFlatListBox *m_list;
};

} // namespace

TFlatListBox::TFlatListBox(QWidget *parent)
    : QListWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBar(new TFlatScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new TFlatScrollBar(Qt::Horizontal, this));
    setUniformItemSizes(true);
    setItemDelegate(new RowDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_itemHeight = fontMetrics().height() + 1;
    SetColors(Colors::Field, Colors::Text);
}

void TFlatListBox::SetColors(const QColor &background, const QColor &text)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Text, text);
    pal.setColor(QPalette::Highlight, Colors::Text);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, Colors::Text);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    setPalette(pal);
}

void TFlatListBox::SetItemHeight(int height)
{
    m_itemHeight = qMax(1, height);
    m_fixedHeight = true;
    doItemsLayout();
}

QStringList TFlatListBox::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

void TFlatListBox::SetItems(const QStringList &items)
{
    clear();
    addItems(items);
}

int TFlatListBox::ItemIndex() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void TFlatListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index);
    scrollToItem(item(index));
}

void TFlatListBox::wheelEvent(QWheelEvent *event)
{
    Q_EMIT mouseWheel(event->angleDelta().y());
    QListWidget::wheelEvent(event);
}

void TFlatListBox::changeEvent(QEvent *event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_fixedHeight) {
        m_itemHeight = fontMetrics().height() + 1;
        doItemsLayout();
    }
}
