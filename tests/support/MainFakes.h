#pragma once

#include "mainwindow/model/MainDialogs.h"
#include "mainwindow/model/MainSeams.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Stand-ins for what the main window's model drives, recording what it was asked.

class FakeDialogs : public MainDialogs
{
public:
    void HidePopupList() override { ++popupHides; }
    bool ShowConfig() override
    {
        ++configShown;
        if (onConfig)
            onConfig();
        return configAccepted;
    }
    std::optional<int> ChooseAddress(TAddressBook &, const QString &name, const QString &address) override
    {
        ++addressChosen;
        chooseTexts << name + QLatin1Char('|') + address;
        if (chosenAddresses.isEmpty())
            return std::nullopt;
        const int at = chosenAddresses.takeFirst();
        return at < 0 ? std::nullopt : std::optional<int>(at);
    }
    QString OpenPictureDialog(const QString &startFolder) override
    {
        openDialogStart << startFolder;
        return pictureToOpen;
    }
    void HideSendingWindow() override { ++sendingHides; }

    int popupHides = 0;
    int configShown = 0;
    bool configAccepted = false;
    std::function<void()> onConfig; // runs while the dialog "shows"
    int addressChosen = 0;
    QStringList chooseTexts; // the recipient texts each choice started from, "name|address"
    QList<int> chosenAddresses; // answers of ChooseAddress in order; -1 or none left: cancelled
    QStringList openDialogStart;
    QString pictureToOpen;
    int sendingHides = 0;
};

class FakeCamera : public CameraControl
{
public:
    bool SetUpCamera() override
    {
        calls << QStringLiteral("setup");
        return works;
    }
    void EnterCameraMode() override
    {
        calls << QStringLiteral("camera mode");
        on = works;
    }
    void EnterAutoMode() override
    {
        calls << QStringLiteral("auto mode");
        on = works;
    }
    void SwitchCamera(bool onNow) override
    {
        calls << (onNow ? QStringLiteral("on") : QStringLiteral("off"));
        if (works)
            on = onNow;
    }
    bool CameraOn() const override { return on; }
    void ReleaseCapture() override { calls << QStringLiteral("release"); }

    bool works = true;
    bool on = false;
    QStringList calls;
};

class FakeSchedule : public ScheduleControl
{
public:
    bool Running() const override { return running; }
    void EnterAutoMode() override { ++entered; }
    bool StartSchedule() override
    {
        ++starts;
        return startAnswer;
    }
    void EscapePressed() override { ++escapes; }

    bool running = false;
    bool startAnswer = false;
    int entered = 0;
    int starts = 0;
    int escapes = 0;
};

class FakeSendRunner : public SendRunner
{
public:
    bool SendRun() override
    {
        ++runs;
        if (during)
            during();
        return result;
    }
    bool result = false;
    int runs = 0;
    std::function<void()> during;
};

class FakeDialUp : public DialUpControl
{
public:
    void SetInUse(bool on) override { inUse = on; }
    void Refresh() override { ++refreshes; }
    bool Connected() const override { return connected; }
    void HangUp() override { ++hangUps; }

    bool inUse = false;
    bool connected = false;
    int refreshes = 0;
    int hangUps = 0;
};
