#include "mainwindow/MainUnit.h"

#include "app/Application.h"
#include "common/Exception.h"
#include "common/UserData.h"

#include <QDir>
#include <QFile>

namespace {

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("ファイル \"%1\" を開けません。").arg(QDir::toNativeSeparators(path)));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Exception(QStringLiteral("ファイル \"%1\" を読めません。").arg(QDir::toNativeSeparators(path)));
    return bytes;
}

} // namespace

TMain::TMain(const QString &workFolder, TUserData &settings, QWidget *parent)
    : QWidget(parent)
    , m_workFolder(workFolder)
    , m_settings(settings)
{
    setFixedSize(kClientWidth, kClientHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 224, 120));
    setPalette(pal);

    const QDir dir(m_workFolder);
    m_shutterSound = readWholeFile(dir.filePath(QStringLiteral("shutter.wav")));
    m_selfSound = readWholeFile(dir.filePath(QStringLiteral("self.wav")));

    setWindowTitle(ApplicationTitle());
}
