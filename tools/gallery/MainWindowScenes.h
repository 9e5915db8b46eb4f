#pragma once

#include <QString>

// Saves the main window in its modes and steps, with a sample picture framed at each size, as
// OUTDIR/main-*.png.
void SaveMainWindowScenes(const QString &outDir);
