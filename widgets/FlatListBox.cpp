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
    explicit RowDelegate(FlatListBox *list)
        : QStyledItemDelegate(list)
        , m_list(list)
    { }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), m_list->ItemHeight()};
    }

private:
    FlatListBox *m_list;
};

} // namespace

FlatListBox::FlatListBox(QWidget *parent)
    : QListWidget(parent)
{
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollBar(new FlatScrollBar(Qt::Vertical, this));
    setHorizontalScrollBar(new FlatScrollBar(Qt::Horizontal, this));
    setUniformItemSizes(true);
    setItemDelegate(new RowDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_itemHeight = fontMetrics().height() + 1;
    SetColors(Colors::Field, Colors::Text);
}

void FlatListBox::SetColors(const QColor &background, const QColor &text)
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

void FlatListBox::SetItemHeight(int height)
{
    m_itemHeight = qMax(1, height);
    m_fixedHeight = true;
    doItemsLayout();
}

QStringList FlatListBox::Items() const
{
    QStringList out;
    for (int i = 0; i < count(); ++i)
        out << item(i)->text();
    return out;
}

void FlatListBox::SetItems(const QStringList &items)
{
    clear();
    addItems(items);
}

int FlatListBox::ItemIndex() const
{
    const QList<QListWidgetItem *> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

void FlatListBox::SetItemIndex(int index)
{
    if (index < 0 || index >= count()) {
        clearSelection();
        setCurrentRow(-1);
        return;
    }
    setCurrentRow(index);
    scrollToItem(item(index));
}

void FlatListBox::wheelEvent(QWheelEvent *event)
{
    Q_EMIT mouseWheel(event->angleDelta().y());
    QListWidget::wheelEvent(event);
}

void FlatListBox::changeEvent(QEvent *event)
{
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && !m_fixedHeight) {
        m_itemHeight = fontMetrics().height() + 1;
        doItemsLayout();
    }
}
