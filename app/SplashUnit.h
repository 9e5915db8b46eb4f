#pragma once

#include <QTimer>
#include <QWidget>

class FlatPanel;

class QLabel;
class TUserData;

// The window shown while start-up creates the other windows: it fades in where the platform
// offers window opacity, stays three seconds at full opacity and then hides itself.
class TSplash : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWaitMs = 3000;

    TSplash(const TUserData &settings, bool fading, QWidget *parent = nullptr);

    // Whether this platform shows a window's opacity (X11, Windows); elsewhere the splash is opaque.
    static bool PlatformFades();

    bool Fading() const { return m_fading; }
    int Opacity() const { return m_opacity; }
    QString VersionText() const;

    QTimer tmAlpha;
    QTimer tmWait;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormShow();
    void tmAlphaTimer();
    void tmWaitTimer();

    FlatPanel *pnlBase = nullptr;
    QLabel *imgLogo = nullptr;
    QLabel *lbVersion = nullptr;
    bool m_fading = false;
    int m_opacity = 255;
};
