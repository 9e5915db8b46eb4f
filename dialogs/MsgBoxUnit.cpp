#include "dialogs/MsgBoxUnit.h"

#include "common/ApplicationTitle.h"
#include "common/Prompt.h"
#include "widgets/Accessibility.h"
#include "widgets/Artwork.h"
#include "widgets/Colors.h"
#include "widgets/LabeledBmpBtn.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QScreen>

namespace {

const QString kOk = QStringLiteral("OK");

QLabel *picture(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

constexpr char kIconKind[] = "tavrinIconKind";

} // namespace

TMsgBox::TMsgBox(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_beep([](int) { QApplication::beep(); })
{
    setWindowTitle(ApplicationTitle());
    setModal(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Colors::Back);
    setPalette(pal);
    setAutoFillBackground(true);

    Image1 = picture(this, "Image1", QRect(0, 0, 282, kHeight));
    Image1->setAlignment(Qt::AlignCenter);
    // Hidden: their widths (39 + 154) are the narrowest box; the right one keeps to the right edge.
    // Their pictures are drawn by the first message: the box is made at start, and most starts show
    // none.
    imgWallPaperL = picture(this, "imgWallPaperL", QRect(0, 0, 39, kHeight));
    imgWallPaperL->hide();
    imgWallPaperR = picture(this, "imgWallPaperR", QRect(128, 0, 154, kHeight));
    imgWallPaperR->hide();

    // The icons are named by their kind, so the AT can tell a question from an error.
    const struct
    {
        QLabel **icon;
        const char *name;
        int kind;
        QString spoken;
    } icons[] = {{&imgI, "imgI", Msg::IconInformation, QStringLiteral("情報")},
                 {&imgQ, "imgQ", Msg::IconQuestion, QStringLiteral("質問")},
                 {&imgE, "imgE", Msg::IconExclamation, QStringLiteral("警告")},
                 {&imgS, "imgS", Msg::IconError, QStringLiteral("エラー")}};
    for (const auto &i : icons) {
        *i.icon = picture(this, i.name, QRect(2, 2, 32, 32));
        (*i.icon)->setProperty(kIconKind, i.kind);
        (*i.icon)->setAccessibleName(i.spoken);
        (*i.icon)->hide();
    }

    lbText = picture(this, "lbText", QRect(kTextLeft, kTextTop, 0, 0));
    lbText->setTextFormat(Qt::PlainText);
    lbText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lbText->setAttribute(Qt::WA_TranslucentBackground);
    QPalette text = lbText->palette();
    text.setColor(QPalette::WindowText, Colors::Text);
    lbText->setPalette(text);

    btnOK = MakeDialogButton(this, "btnOK", QString(), QRect(0, 0, 80, 24));
    btnOK->SetLabelText(kOk);
    btnCancel = MakeDialogButton(this, "btnCancel", QString(), QRect(0, 0, 80, 24));
    btnCancel->SetLabelText(QStringLiteral("キャンセル"));
    btnOK->move(0, kButtonTop);
    btnCancel->move(0, kButtonTop);
    connect(btnOK, &TBmpBtn::clicked, this, &TMsgBox::btnOKClick);
    connect(btnCancel, &TBmpBtn::clicked, this, &TMsgBox::btnCancelClick);

    setFixedSize(282, kHeight);
    // An alert: screen readers read its text out when it shows.
    SetAccessibleRole(this, QAccessible::AlertMessage);
}

void TMsgBox::Prepare(const QString &text, int icon, int buttons)
{
    switch (buttons) {
    case Msg::ButtonsOk:
        btnOK->SetLabelText(kOk);
        btnCancel->hide();
        break;
    case Msg::ButtonsOkCancel:
        btnOK->SetLabelText(kOk);
        btnCancel->SetLabelText(QStringLiteral("キャンセル"));
        btnCancel->show();
        break;
    case Msg::ButtonsYesNo:
        btnOK->SetLabelText(QStringLiteral("はい"));
        btnCancel->SetLabelText(QStringLiteral("いいえ"));
        btnCancel->show();
        break;
    default: // the labels of the previous use stay
        break;
    }
    btnOK->show();

    hideIcons();
    QLabel *shown = nullptr;
    switch (icon) {
    case Msg::IconError:
        shown = imgS;
        break;
    case Msg::IconQuestion:
        shown = imgQ;
        break;
    case Msg::IconExclamation:
        shown = imgE;
        break;
    case Msg::IconInformation:
        shown = imgI;
        break;
    default:
        break;
    }
    if (shown) {
        // Each icon drawn when first shown: most boxes of a session carry one kind at most.
        if (shown->pixmap().isNull())
            shown->setPixmap(Artwork::MessageIcon(shown->property(kIconKind).toInt()));
        shown->raise();
        shown->show();
    }

    if (imgWallPaperL->pixmap().isNull()) {
        imgWallPaperL->setPixmap(Artwork::MessageBoxLeft(kHeight));
        imgWallPaperR->setPixmap(Artwork::MessageBoxRight(QSize(154, kHeight)));
    }

    // A line break of the platform's texts is one break here.
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lbText->setText(lines);
    setAccessibleDescription(AccessibleCaption(lines));
    QScreen *screen = QGuiApplication::primaryScreen();
    if (QWidget *active = QApplication::activeWindow(); active && active != this)
        screen = active->screen();
    const int textLeft = imgI->x() + imgI->width() + 8;
    QSize textSize = lbText->fontMetrics().size(0, lines);
    // A line wider than the screen (a report with a certificate's fingerprint) wraps at the
    // screen's width rather than running off both edges; the frame takes a few pixels more.
    const int widest = screen ? screen->availableGeometry().width() - textLeft - 16 - 16 : 0;
    const bool wrap = widest > 0 && textSize.width() > widest;
    lbText->setWordWrap(wrap);
    if (wrap)
        textSize = lbText->fontMetrics()
                       .boundingRect(QRect(0, 0, widest, 1 << 20), Qt::TextWordWrap, lines)
                       .size();
    lbText->setGeometry(textLeft, kTextTop, textSize.width(), textSize.height());

    const int right = lbText->geometry().right() + 1;
    const int narrowest = imgWallPaperL->width() + imgWallPaperR->width();
    const int width = right + 16 < narrowest ? narrowest : right + 16;
    // A text of more lines than the box has room for pushes the buttons down instead of under them.
    const int below = qMax(0, lbText->geometry().bottom() + 1 - (kButtonTop - 6));
    const int height = kHeight + below;

    if (btnCancel->isVisibleTo(this)) {
        btnOK->move((width - 164) / 2, kButtonTop + below);
        btnCancel->move(btnOK->x() + 82, kButtonTop + below);
    } else {
        btnOK->move((width - 80) / 2, kButtonTop + below);
    }

    imgWallPaperR->move(width - imgWallPaperR->width(), 0);
    QPixmap back(width, height);
    back.fill(Colors::Back);
    {
        QPainter p(&back);
        p.drawPixmap(imgWallPaperL->pos(), imgWallPaperL->pixmap());
        p.drawPixmap(imgWallPaperR->x(), height - imgWallPaperR->height(), imgWallPaperR->pixmap());
    }
    Image1->setGeometry(0, 0, width, height);
    Image1->setPixmap(back);
    setFixedSize(width, height);

    // Centred on the screen by the outer size (the frame is known once the window exists).
    create();
    if (screen) {
        const QRect area = screen->geometry();
        const QSize outer = frameGeometry().size() - size() + QSize(width, height);
        move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
    }
}

int TMsgBox::Execute(const QString &text, int icon, int buttons)
{
    Prepare(text, icon, buttons);
    m_closing = false;
    m_code = 0;
    if (m_beep)
        m_beep(icon);
    const QPointer<TMsgBox> self(this);
    exec();
    if (QWidget *active = QApplication::activeWindow())
        active->repaint();
    if (!self) // gone with the program while it showed
        return Msg::Cancel;
    hideIcons();
    return m_code;
}

void TMsgBox::hideIcons()
{
    for (QLabel *icon : {imgI, imgQ, imgE, imgS})
        icon->hide();
}

void TMsgBox::btnOKClick()
{
    m_code = btnOK->LabelText() == kOk ? Msg::Ok : Msg::Yes;
    m_closing = true;
    done(m_code);
}

void TMsgBox::btnCancelClick()
{
    m_code = btnOK->LabelText() == kOk ? Msg::Cancel : Msg::No;
    m_closing = true;
    done(m_code);
}

void TMsgBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    raise();
    activateWindow();
}

void TMsgBox::closeEvent(QCloseEvent *event)
{
    // The title bar, the window menu and Alt+F4 do not answer the question.
    if (!m_closing) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TMsgBox::reject()
{
    // Escape is refused like every other way of closing but the buttons.
    if (m_closing)
        QDialog::reject();
}

int ShowSystemMessageBox(const QString &text, int icon, int buttons)
{
    QMessageBox::Icon kind = QMessageBox::NoIcon;
    switch (icon) {
    case Msg::IconError:
        kind = QMessageBox::Critical;
        break;
    case Msg::IconQuestion:
        kind = QMessageBox::Question;
        break;
    case Msg::IconExclamation:
        kind = QMessageBox::Warning;
        break;
    case Msg::IconInformation:
        kind = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox box(kind, ApplicationTitle(), text);
    if (buttons == Msg::ButtonsYesNo)
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    else if (buttons == Msg::ButtonsOkCancel)
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    else
        box.setStandardButtons(QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Msg::Yes;
    case QMessageBox::No:
        return Msg::No;
    case QMessageBox::Cancel:
        return Msg::Cancel;
    default:
        return Msg::Ok;
    }
}
