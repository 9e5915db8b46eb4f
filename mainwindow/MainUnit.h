#pragma once

#include "mainwindow/model/MainModel.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class AutoModePane;
class CameraModePane;
class EditMailPane;
class FileModePane;
class MainDialogs;
class PictureArea;
class PictureConfigPane;
class Prompt;
class QLabel;
class SendToPane;
class FlatPanel;
class TLabeledBmpBtn;
class PopupListWindow;
class TUserData;

// What the main window is made with.
struct MainContext
{
    // Made with its parts by the program's start (or a test), before the window; it outlives the
    // window, whose waits it runs while the window is there.
    MainModel &model;
    // The popup list of the drop-down lists; none: their buttons do nothing.
    PopupListWindow *listWindow = nullptr;
};

// The main window: the picture area on the left, the mode buttons and the command area on the
// right. Its state and rules live in MainModel; the window shows them, one widget class per pane,
// and forwards the user's events.
class TMain : public QWidget
{
    Q_OBJECT
public:
    explicit TMain(MainContext context, QWidget *parent = nullptr);
    ~TMain() override;

    MainModel &Model() const { return *m_model; }
    PictureArea *PictureAreaWidget() const { return pnlImageBase; }

    // Showing places the window first: at its saved place, or centred on the screen.
    void setVisible(bool visible) override;
    // The program is told to stop from outside (the session ends): what closing saves is saved,
    // without the closing question, and the window takes no further close.
    void EndSession();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    // The panes that start hidden (all but File mode's).
    void makePanes();
    void dropDownsToPopup(QWidget *within);
    void ApplyState();
    // While a schedule runs only the picture area shows.
    void Narrow(bool narrow);
    TLabeledBmpBtn *modeButton(const char *name, int x, int kind, const QString &accessibleName);
    void commandButtons(FlatPanel *panel, const char *config, const char *quit, const char *back,
                        const char *next, TLabeledBmpBtn **configButton, TLabeledBmpBtn **quitButton,
                        TLabeledBmpBtn **backButton, TLabeledBmpBtn **nextButton);

    PopupListWindow *m_listWindow = nullptr;
    MainModel *m_model;
    bool m_firstShowDone = false;
    bool m_panesMade = false;
    bool m_closed = false;
    bool m_askingToClose = false;

    PictureArea *pnlImageBase = nullptr;
    TLabeledBmpBtn *btnFileMode = nullptr;
    TLabeledBmpBtn *btnCameraMode = nullptr;
    TLabeledBmpBtn *btnAutoMode = nullptr;
    QLabel *imgWaku = nullptr;

    FlatPanel *pnlCommandPicture = nullptr;
    FileModePane *pnlFileMode = nullptr;
    CameraModePane *pnlCameraMode = nullptr;
    AutoModePane *pnlAutoMode = nullptr;
    TLabeledBmpBtn *btnConfig1 = nullptr;
    TLabeledBmpBtn *btnQuit = nullptr;
    TLabeledBmpBtn *btnBackDmy = nullptr;
    TLabeledBmpBtn *btnMailCreate = nullptr;
    TLabeledBmpBtn *btnAutoStart = nullptr;

    FlatPanel *pnlCommandMail = nullptr;
    PictureConfigPane *pnlPictureConfig = nullptr;
    SendToPane *pnlSendTo = nullptr;
    EditMailPane *pnlEditMail = nullptr;
    TLabeledBmpBtn *btnConfig2 = nullptr;
    TLabeledBmpBtn *btnQuit2 = nullptr;
    TLabeledBmpBtn *btnBack = nullptr;
    TLabeledBmpBtn *btnFwd = nullptr;
};
