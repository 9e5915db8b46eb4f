#pragma once

#include <QString>

class TMain;
class TUserData;

// The program's windows: one of each for the whole run, created by start-up in the order of
// CreateWindows and reached through Windows().
struct TWindows
{
    TMain *Main = nullptr;
};

TWindows &Windows();

// Creates every window in the program's fixed order, the main window first.
void CreateWindows(const QString &workFolder, TUserData &settings);
// Destroys them, last created first.
void DestroyWindows();
