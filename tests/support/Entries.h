#pragma once

#include "mail/AddressBook.h"

#include <QString>

// Address book entries made in the tests.
namespace testentries {

inline TMailAddress Entry(const QString &name, const QString &address, int preset = 2, int quality = 2,
                          int width = 240, int height = 320, bool serverRoute = false)
{
    TMailAddress e;
    e.Name = name;
    e.Address = address;
    e.SizePreset = qint8(preset);
    e.QualityLevel = qint8(quality);
    e.Width = width;
    e.Height = height;
    e.ServerRoute = serverRoute;
    return e;
}

} // namespace testentries
