#pragma once

class QWidget;

// Centres a top-level window by its outer size over `over` (its frame), halves truncated; over the
// primary screen when there is nothing to go over: no window, the window itself, or a hidden one.
// The native window is made first, so that the frame is known.
void CentreOver(QWidget *window, const QWidget *over);
