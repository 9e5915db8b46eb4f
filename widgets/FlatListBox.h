#pragma once

#include <QListWidget>

// A flat list of texts with rows of one fixed height, without a frame of its own. It reports wheel
// turns before it scrolls with them.
class FlatListBox : public QListWidget
{
    Q_OBJECT
public:
    explicit FlatListBox(QWidget *parent = nullptr);

    void SetColors(const QColor &background, const QColor &text);
    int ItemHeight() const { return m_itemHeight; }
    void SetItemHeight(int height);

    QStringList Items() const;
    void SetItems(const QStringList &items);
    // The selected row, -1 for none.
    int ItemIndex() const;
    void SetItemIndex(int index);

Q_SIGNALS:
    void mouseWheel(int delta);

protected:
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int m_itemHeight = 0;
    bool m_fixedHeight = false;
};
