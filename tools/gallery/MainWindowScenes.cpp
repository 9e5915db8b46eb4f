#include "tools/gallery/MainWindowScenes.h"

#include "common/Bitmap.h"
#include "common/UserData.h"
#include "dialogs/PopupListBoxUnit.h"
#include "dialogs/UiPrompt.h"
#include "mail/AddressBook.h"
#include "mainwindow/MainUnit.h"
#include "mainwindow/model/MainDialogs.h"
#include "widgets/FlatComboBox.h"
#include "widgets/FlatEdit.h"
#include "widgets/FlatMemo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A small landscape to frame: sky, sun, hills and a red house.
Bitmap samplePicture()
{
    QImage image(800, 600, QImage::Format_RGB888);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0, QColor(90, 160, 235));
    sky.setColorAt(1, QColor(200, 230, 255));
    p.fillRect(image.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 210, 60));
    p.drawEllipse(QPointF(640, 120), 60, 60);
    p.setBrush(QColor(70, 150, 70));
    p.drawEllipse(QRectF(-200, 380, 700, 400));
    p.setBrush(QColor(50, 120, 60));
    p.drawEllipse(QRectF(300, 420, 800, 380));
    p.setBrush(QColor(200, 50, 40));
    p.drawRect(QRectF(180, 330, 160, 120));
    p.setBrush(QColor(120, 40, 30));
    p.drawPolygon(QPolygonF({QPointF(160, 335), QPointF(260, 260), QPointF(360, 335)}));
    p.setBrush(QColor(255, 240, 180));
    p.drawRect(QRectF(220, 370, 34, 34));
    p.end();
    Bitmap bitmap(image.width(), image.height());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            bitmap.setPixel(x, y, Rgb {quint8(qRed(c)), quint8(qGreen(c)), quint8(qBlue(c))});
        }
    return bitmap;
}

class QuietDialogs : public MainDialogs
{
};

void save(QWidget &w, const QString &outDir, const char *name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(outDir).filePath(QStringLiteral("main-%1.png").arg(QLatin1String(name)));
    if (!w.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

} // namespace

void SaveMainWindowScenes(const QString &outDir)
{
    QTemporaryDir work;
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const char *sound : {"shutter.wav", "self.wav"})
        QFile::copy(bin.filePath(QLatin1String(sound)), work.filePath(QLatin1String(sound)));
    TAddressBook book(work.path() + QLatin1Char('/'));
    TMailAddress taro;
    taro.Name = QStringLiteral("山田 太郎");
    taro.Address = QStringLiteral("taro@docomo.ne.jp");
    book.Append(taro);
    book.Save(QStringLiteral("History.ADX"));

    TUserData settings(work.path() + QLatin1Char('/'));
    settings.FromAddress = QStringLiteral("me@example.jp");
    settings.UseServer = true;
    UiPrompt prompt(nullptr);
    QuietDialogs dialogs;
    TPopupListBox popup;
    MainModel mainModel(MainModel::Context {work.path() + QLatin1Char('/'), settings, prompt, dialogs, {}});
    TMain main(MainContext {mainModel, &popup});
    main.show();
    save(main, outDir, "file");

    MainModel &model = main.Model();
    PictureCanvas &canvas = model.Canvas();
    canvas.SetPicture(samplePicture());
    model.btnMailCreateClick();
    save(main, outDir, "step1-240x320");
    const struct
    {
        int preset;
        const char *name;
    } presets[] = {{0, "step1-120x120"}, {1, "step1-132x176"}};
    for (const auto &p : presets) {
        canvas.Settings().SetSizePreset(p.preset);
        canvas.SizePresetChanged(false, true);
        canvas.ResizeByHeight();
        save(main, outDir, p.name);
    }
    canvas.Settings().SetSizePreset(3);
    canvas.Settings().SetPictureSize(240, 160);
    canvas.SizePresetChanged(false, true);
    canvas.ZoomPicture(-10);
    canvas.Centering();
    canvas.SetBackgroundColor(Rgb {255, 246, 215});
    save(main, outDir, "step1-user-240x160");

    model.btnFwdClick();
    if (auto *name = main.findChild<FlatComboBox *>(QStringLiteral("cbxNameMail")))
        name->setEditText(taro.Name);
    model.Recipient().SetNameText(taro.Name);
    model.Recipient().SetAddressText(taro.Address);
    model.Recipient().ShowServerRouteBySettings();
    save(main, outDir, "step2");

    model.btnFwdClick();
    if (auto *subject = main.findChild<FlatEdit *>(QStringLiteral("edtSubject")))
        subject->setText(QStringLiteral("週末の写真"));
    if (auto *body = main.findChild<FlatMemo *>(QStringLiteral("edtBody")))
        body->setPlainText(QStringLiteral("こんにちは。\n家の前で撮りました。"));
    save(main, outDir, "step3");
    main.hide();
}
