#pragma once

#include <QByteArray>
#include <QString>
#include <QWidget>

class TUserData;

// The main window. It owns the program's plain objects for the whole run.
class TMain : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 514;
    static constexpr int kClientHeight = 338;

    // Fails (throws) when a file the window needs at start cannot be read.
    TMain(const QString &workFolder, TUserData &settings, QWidget *parent = nullptr);

    const QByteArray &ShutterSound() const { return m_shutterSound; }
    const QByteArray &SelfTimerSound() const { return m_selfSound; }

private:
    QString m_workFolder;
    TUserData &m_settings;
    QByteArray m_shutterSound;
    QByteArray m_selfSound;
};
