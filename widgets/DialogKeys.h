#pragma once

#include <functional>

class QKeyEvent;

// The picture buttons take no keys, so a dialog answers Enter and Esc itself: Enter does what its
// OK does, Esc what its Cancel does. Without `cancel` Esc is left to the dialog. True when the key
// was taken.
bool TakeDialogKey(QKeyEvent *event, const std::function<void()> &ok,
                   const std::function<void()> &cancel = {});
