#pragma once

#include <QString>

// The windows the main window opens, as its model sees them. The program's windows answer through
// the window registry; tests give fakes. Every question has an answer for "cancelled", which is what
// a window that does not exist (yet) gives.
class MainDialogs
{
public:
    virtual ~MainDialogs() = default;

    // The settings dialog, modal. True when it was closed with OK (the settings then hold its values).
    virtual bool ShowConfig() { return false; }
    // The platform's open-picture dialog starting in startFolder (empty: the platform's choice), with
    // the picture filter. The chosen file, or empty when cancelled.
    virtual QString OpenPictureDialog(const QString &startFolder) { (void)startFolder; return {}; }
    // Hides the sending window if it is showing.
    virtual void HideSendingWindow() { }
};
