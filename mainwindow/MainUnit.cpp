#include "mainwindow/MainUnit.h"

#include "common/ApplicationTitle.h"
#include "mainwindow/AutoModePane.h"
#include "mainwindow/CameraModePane.h"
#include "mainwindow/EditMailPane.h"
#include "mainwindow/FileModePane.h"
#include "mainwindow/MainArtwork.h"
#include "mainwindow/PictureArea.h"
#include "mainwindow/PictureConfigPane.h"
#include "mainwindow/SendToPane.h"
#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/ScheduleModel.h"
#include "widgets/Colors.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatPanel.h"
#include "widgets/LabeledBmpBtn.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <cstdio>

using MainArtwork::Glyph;
using MainArtwork::ModeKind;

namespace {

// The command area and the panes in its upper part.
constexpr QRect kCommandArea(264, 31, 242, 298);
constexpr QRect kPaneArea(0, 0, 242, 233);

// The client width with the command area: the picture area's left margin on its right too.
int fullWidth(const QRect &frameBase)
{
    return kCommandArea.right() + 1 + frameBase.left();
}

} // namespace

TMain::TMain(MainContext context, QWidget *parent)
    : QWidget(parent)
    , m_listWindow(context.listWindow)
    , m_model(&context.model)
{
    // The model's waits let the window repaint and pending events run.
    m_model->SetPump([this] {
        repaint();
        QCoreApplication::processEvents();
    });
    // A screen of fewer colours gets the frame in 15-bit colour, as it shows there.
    if (const QScreen *screen = this->screen())
        m_model->Canvas().SetScreenDepth(screen->depth());

    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::Back);
    setPalette(pal);

    pnlImageBase = new PictureArea(m_model->Canvas(), &m_model->CameraPart(), this);
    connect(pnlImageBase, &PictureArea::clicked, m_model, &MainModel::PanelClick);

    btnFileMode = modeButton("btnFileMode", 264, int(ModeKind::File), QStringLiteral("ファイル"));
    btnCameraMode = modeButton("btnCameraMode", 345, int(ModeKind::Camera), QStringLiteral("カメラ"));
    btnAutoMode = modeButton("btnAutoMode", 426, int(ModeKind::Auto), QStringLiteral("撮影予約"));
    connect(btnFileMode, &TBmpBtn::clicked, m_model, &MainModel::btnFileModeClick);
    connect(btnCameraMode, &TBmpBtn::clicked, m_model, &MainModel::btnCameraModeClick);
    connect(btnAutoMode, &TBmpBtn::clicked, m_model, &MainModel::btnAutoModeClick);
    imgWaku = new QLabel(this);
    imgWaku->setObjectName(QStringLiteral("imgWaku"));
    imgWaku->setAttribute(Qt::WA_TransparentForMouseEvents);

    // Both command panels share one place; only one shows.
    pnlCommandPicture = new FlatPanel(this);
    pnlCommandPicture->setObjectName(QStringLiteral("pnlCommandPicture"));
    pnlCommandPicture->setGeometry(kCommandArea);
    pnlFileMode = new FileModePane(*m_model, pnlCommandPicture);
    pnlFileMode->setGeometry(kPaneArea);
    commandButtons(pnlCommandPicture, "btnConfig1", "btnQuit", "btnBackDmy", "btnMailCreate", &btnConfig1,
                   &btnQuit, &btnBackDmy, &btnMailCreate);
    btnAutoStart = MakeMainButton(pnlCommandPicture, "btnAutoStart", btnMailCreate->geometry(),
                                  QStringLiteral("\\n次へ"), Glyph::Forward, QRect(0, 0, 66, 30));
    btnBackDmy->SetEnabled(false);
    btnAutoStart->SetEnabled(false);

    pnlCommandMail = new FlatPanel(this);
    pnlCommandMail->setObjectName(QStringLiteral("pnlCommandMail"));
    pnlCommandMail->setGeometry(kCommandArea);
    commandButtons(pnlCommandMail, "btnConfig2", "btnQuit2", "btnBack", "btnFwd", &btnConfig2, &btnQuit2,
                   &btnBack, &btnFwd);
    pnlCommandMail->hide();

    for (FlatPanel *panel : {pnlCommandPicture, pnlCommandMail})
        connect(panel, &FlatPanel::clicked, m_model, &MainModel::PanelClick);
    for (TLabeledBmpBtn *b : {btnConfig1, btnConfig2})
        connect(b, &TBmpBtn::clicked, m_model, &MainModel::btnConfig1Click);
    for (TLabeledBmpBtn *b : {btnQuit, btnQuit2})
        connect(b, &TBmpBtn::clicked, this, [this] {
            m_model->PanelClick();
            close();
        });
    for (TLabeledBmpBtn *b : {btnMailCreate, btnAutoStart})
        connect(b, &TBmpBtn::clicked, m_model, &MainModel::btnMailCreateClick);
    for (TLabeledBmpBtn *b : {btnBack, btnBackDmy})
        connect(b, &TBmpBtn::clicked, m_model, &MainModel::btnBackClick);
    connect(btnFwd, &TBmpBtn::clicked, m_model, &MainModel::btnFwdClick);
    connect(m_model, &MainModel::stateChanged, this, &TMain::ApplyState);
    ScheduleModel &schedule = m_model->SchedulePart();
    connect(&schedule, &ScheduleModel::panelChanged, this, &TMain::ApplyState);
    connect(&schedule, &ScheduleModel::runningChanged, this, &TMain::Narrow);
    connect(&schedule, &ScheduleModel::captionChanged, this, &QWidget::setWindowTitle);

    // The client area holds the whole layout: the picture area's margins around it, the command
    // area beside it.
    const QRect base = m_model->Canvas().FrameBaseRect();
    setFixedSize(fullWidth(base), 2 * base.top() + base.height());
    setWindowTitle(ApplicationTitle());

    FormCreate();
}

TMain::~TMain()
{
    m_model->SetPump({});
}

TLabeledBmpBtn *TMain::modeButton(const char *name, int x, int kind, const QString &accessibleName)
{
    const auto mode = ModeKind(kind);
    auto *b = new TLabeledBmpBtn(this);
    b->setObjectName(QLatin1String(name));
    b->SetPictureSource(MainArtwork::kModeButtonSize,
                        [mode](TBmpBtn::Picture which) { return MainArtwork::ModeButton(mode, which); });
    b->move(x, 8);
    b->setAccessibleName(accessibleName);
    return b;
}

void TMain::commandButtons(FlatPanel *panel, const char *config, const char *quit, const char *back,
                           const char *next, TLabeledBmpBtn **configButton, TLabeledBmpBtn **quitButton,
                           TLabeledBmpBtn **backButton, TLabeledBmpBtn **nextButton)
{
    *configButton = MakeMainButton(panel, config, QRect(6, 238, 62, 26), QStringLiteral("設定"));
    *quitButton = MakeMainButton(panel, quit, QRect(6, 268, 62, 26), QStringLiteral("終了"));
    *backButton = MakeMainButton(panel, back, QRect(104, 238, 66, 56), QStringLiteral("\\n戻る"), Glyph::Back,
                                 QRect(0, 0, 66, 30));
    *nextButton = MakeMainButton(panel, next, QRect(172, 238, 66, 56), QStringLiteral("\\n次へ"),
                                 Glyph::Forward, QRect(0, 0, 66, 30));
}

void TMain::makePanes()
{
    if (m_panesMade)
        return;
    m_panesMade = true;
    pnlCameraMode = new CameraModePane(*m_model, pnlCommandPicture);
    pnlAutoMode = new AutoModePane(*m_model, pnlCommandPicture);
    pnlPictureConfig = new PictureConfigPane(*m_model, pnlCommandMail);
    pnlSendTo = new SendToPane(*m_model, pnlCommandMail);
    pnlEditMail = new EditMailPane(*m_model, pnlCommandMail);
    for (QWidget *pane : std::initializer_list<QWidget *> {pnlCameraMode, pnlAutoMode, pnlPictureConfig,
                                                           pnlSendTo, pnlEditMail}) {
        pane->setGeometry(kPaneArea);
        // Hidden until the state shows it; the command buttons stay in front.
        pane->hide();
        pane->lower();
        if (m_firstShowDone)
            dropDownsToPopup(pane);
    }
}

void TMain::dropDownsToPopup(QWidget *within)
{
    // Every drop-down list of the window drops the program's popup list.
    for (FlatComboBox *list : within->findChildren<FlatComboBox *>()) {
        list->SetOwnerWindow(this);
        list->SetListWindow(m_listWindow);
    }
}

void TMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    // The panes that start hidden are made once the window is on the screen, so that it shows
    // sooner; the state makes one at once when it needs it before then.
    if (!m_panesMade)
        QTimer::singleShot(0, this, [this] {
            if (!m_panesMade) {
                makePanes();
                ApplyState();
            }
        });
}

void TMain::FormCreate()
{
    m_model->FormCreate();
    ApplyState();
}

void TMain::ApplyState()
{
    const MainModel &m = *m_model;
    const bool mailStage = m.MailStageShown();
    pnlCommandPicture->setVisible(!mailStage);
    pnlCommandMail->setVisible(mailStage);

    const MainModel::Mode mode = m.CurrentMode();
    if (mailStage || mode != MainModel::Mode::File)
        makePanes();
    pnlFileMode->setVisible(mode == MainModel::Mode::File);
    if (m_panesMade) {
        pnlCameraMode->setVisible(mode == MainModel::Mode::Camera);
        pnlAutoMode->setVisible(mode == MainModel::Mode::Auto);
    }
    btnMailCreate->setVisible(mode != MainModel::Mode::Auto);
    btnAutoStart->setVisible(mode == MainModel::Mode::Auto);
    btnMailCreate->SetEnabled(m.MailCreateEnabled());
    btnAutoStart->SetEnabled(m_model->SchedulePart().StartEnabled());
    btnCameraMode->SetEnabled(m.CameraModesEnabled());
    btnAutoMode->SetEnabled(m.CameraModesEnabled());

    TLabeledBmpBtn *current = mode == MainModel::Mode::File ? btnFileMode
        : mode == MainModel::Mode::Camera                   ? btnCameraMode
                                                            : btnAutoMode;
    const auto kind = mode == MainModel::Mode::File ? ModeKind::File
        : mode == MainModel::Mode::Camera           ? ModeKind::Camera
                                                    : ModeKind::Auto;
    imgWaku->setPixmap(MainArtwork::ModeButton(kind, Artwork::ButtonLook::Normal, true));
    imgWaku->setGeometry(current->geometry());
    imgWaku->setVisible(m.ModeMarkerShown());
    imgWaku->raise();

    if (m_panesMade) {
        const MainModel::StepPane pane = m.CurrentStepPane();
        pnlPictureConfig->setVisible(pane == MainModel::StepPane::PictureConfig);
        pnlSendTo->setVisible(pane == MainModel::StepPane::SendTo);
        pnlEditMail->setVisible(pane == MainModel::StepPane::EditMail);
    }
    btnFwd->SetLabelText(m.FwdLabel());

    pnlImageBase->SetPictureBackShown(m.PictureBackShown());
    setAcceptDrops(m.AcceptDrops());
    setEnabled(m.WindowEnabled());
}

void TMain::Narrow(bool narrow)
{
    const QRect base = m_model->Canvas().FrameBaseRect();
    setFixedWidth(narrow ? 2 * base.left() + base.width() : fullWidth(base));
}

void TMain::setVisible(bool visible)
{
    if (visible && !isVisible())
        if (const QScreen *screen = this->screen())
            move(m_model->WindowPosition(screen->size(), frameGeometry().size()));
    QWidget::setVisible(visible);
}

void TMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return;
    // The rest once the window is on the screen: it may ask the user.
    QTimer::singleShot(0, this, &TMain::FormShow);
}

void TMain::FormShow()
{
    if (!isVisible())
        return;
    if (!m_firstShowDone) {
        m_firstShowDone = true;
        dropDownsToPopup(this);
    }
    m_model->FormShow();
}

void TMain::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    // A second request while the question shows waits for its answer.
    if (m_askingToClose) {
        event->ignore();
        return;
    }
    m_askingToClose = true;
    const bool close = m_model->FormCloseQuery();
    m_askingToClose = false;
    if (!close) {
        event->ignore();
        return;
    }
    m_closed = true;
    m_model->FormClose(pos());
    event->accept();
}

void TMain::EndSession()
{
    if (m_closed)
        return;
    m_closed = true;
    // Nobody may be there to answer a message box: failures go to standard error, and the end goes on.
    m_model->SaveEverything(pos(), [](const QString &text) {
        const QByteArray line = "tavrin: " + text.toUtf8().replace('\n', ' ') + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    });
}

void TMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_model->FormKeyPress(Qt::Key_Escape);
        return;
    }
    PictureCanvas &canvas = m_model->Canvas();
    if (canvas.IsEnabled() && canvas.KeyDown(event->key(), event->modifiers()))
        return;
    QWidget::keyPressEvent(event);
}

void TMain::wheelEvent(QWheelEvent *event)
{
    PictureCanvas &canvas = m_model->Canvas();
    const QPoint at = event->position().toPoint() - canvas.FrameViewRect().topLeft();
    const int delta = event->angleDelta().y();
    if (delta != 0 && canvas.MouseWheel(at, delta)) {
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

void TMain::mousePressEvent(QMouseEvent *event)
{
    m_model->PanelClick();
    QWidget::mousePressEvent(event);
}

void TMain::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_model->AcceptDrops() && event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMain::dropEvent(QDropEvent *event)
{
    QStringList paths;
    for (const QUrl &url : event->mimeData()->urls())
        paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
    event->acceptProposedAction();
    // The drop ends before any message shows.
    QTimer::singleShot(0, this, [this, paths] { m_model->FileSource().HandleDroppedFiles(paths); });
}

void TMain::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    m_model->SetWindowPos(pos());
}
