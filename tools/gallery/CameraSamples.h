#pragma once

#include <QString>
#include <QWidget>

#include <functional>

// The camera's pictures and windows over the synthetic camera: its frames at both sizes, the live
// view in the frame view, the format and source dialogs. keep takes ownership of a window.
void SaveCameraSamples(const QString &outDir, const std::function<void(QWidget *, const QString &)> &save,
                       const std::function<void(QWidget *)> &keep);
