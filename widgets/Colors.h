#pragma once

#include <QColor>

// The recurring colours of the program's windows.
namespace Colors {
inline const QColor Back(255, 224, 120); // dialog and pane background
inline const QColor Text(127, 0, 30); // text on the backgrounds and in the fields
inline const QColor Frame(255, 138, 0); // the frame one pixel outside input controls
inline const QColor ListBack(255, 246, 215); // the popup list
inline const QColor Field(255, 255, 255); // edit fields and lists
} // namespace Colors
