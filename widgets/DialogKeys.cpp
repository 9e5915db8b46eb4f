#include "widgets/DialogKeys.h"

#include <QKeyEvent>

bool TakeDialogKey(QKeyEvent *event, const std::function<void()> &ok, const std::function<void()> &cancel)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ok();
        return true;
    }
    if (event->key() == Qt::Key_Escape && cancel) {
        cancel();
        return true;
    }
    return false;
}
