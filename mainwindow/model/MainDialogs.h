#pragma once

#include <QString>

#include <optional>

class TAddressBook;

// The windows the main window opens, as its model sees them. The program's windows answer through
// the window registry; tests give fakes. Every question has an answer for "cancelled", which is what
// a window that does not exist (yet) gives.
class MainDialogs
{
public:
    virtual ~MainDialogs() = default;

    // Hides the drop-down lists' popup list if it shows; every handler of the window does this first.
    virtual void HidePopupList() { }
    // The settings dialog, modal. True when it was closed with OK (the settings then hold its values).
    virtual bool ShowConfig() { return false; }
    // The address book dialog choosing an entry of book: its position, or nothing. A new entry made
    // there starts from the recipient's name and address as shown.
    virtual std::optional<int> ChooseAddress(TAddressBook &book, const QString &name, const QString &address)
    {
        (void)book, (void)name, (void)address;
        return std::nullopt;
    }
    // The platform's open-picture dialog starting in startFolder (empty: the platform's choice), with
    // the picture filter. The chosen file, or empty when cancelled.
    virtual QString OpenPictureDialog(const QString &startFolder)
    {
        (void)startFolder;
        return {};
    }
    // Hides the sending window if it is showing.
    virtual void HideSendingWindow() { }
};
