#pragma once

#include <QPlainTextEdit>

// A flat multi-line text field without a frame of its own. It reports wheel turns before it
// scrolls with them.
class FlatMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit FlatMemo(QWidget *parent = nullptr);

    void SetColors(const QColor &background, const QColor &text);

Q_SIGNALS:
    void mouseWheel(int delta);

protected:
    void wheelEvent(QWheelEvent *event) override;
};
