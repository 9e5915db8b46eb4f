#include "app/Windows.h"

#include "mainwindow/MainUnit.h"

TWindows &Windows()
{
    static TWindows windows;
    return windows;
}

void CreateWindows(const QString &workFolder, TUserData &settings)
{
    TWindows &w = Windows();
    // The order is fixed: windows created later may use those before them. New windows join here.
    w.Main = new TMain(workFolder, settings);
}

void DestroyWindows()
{
    TWindows &w = Windows();
    delete w.Main;
    w.Main = nullptr;
}
