#pragma once

class QApplication;

// The 12-pixel Japanese Gothic that every layout of the program assumes.
void ApplyProgramFont(QApplication &app);
