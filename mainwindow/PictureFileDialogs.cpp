#include "mainwindow/PictureFileDialogs.h"

#include "picture/PictureFile.h"

#include <QDir>
#include <QFileDialog>
#include <QPointer>

namespace {

// "*.jpg" -> "*.[jJ][pP][gG]": the file system here tells letter cases apart.
QString anyCase(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QString filter(const QString &name, const QStringList &patterns)
{
    QStringList any;
    for (const QString &p : patterns)
        any << anyCase(p);
    return name + QStringLiteral(" (") + any.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// The kinds beyond BMP and JPEG whose readers are installed, each under its own entry.
struct NewKind
{
    QString name;
    QStringList patterns;
};

QList<NewKind> newKinds()
{
    const QStringList installed = PictureReaderPatterns();
    const NewKind all[] = {
        {QStringLiteral("HEIF イメージファイル"), {QStringLiteral("*.heic"), QStringLiteral("*.heif")}},
        {QStringLiteral("PNG イメージファイル"), {QStringLiteral("*.png")}},
        {QStringLiteral("WebP イメージファイル"), {QStringLiteral("*.webp")}},
        {QStringLiteral("TIFF イメージファイル"), {QStringLiteral("*.tif"), QStringLiteral("*.tiff")}},
    };
    QList<NewKind> kinds;
    for (const NewKind &kind : all) {
        if (installed.contains(kind.patterns.first()))
            kinds << kind;
    }
    return kinds;
}

} // namespace

PictureOpenDialog::PictureOpenDialog(QWidget *owner)
    : m_owner(owner)
{ }

QStringList PictureOpenDialog::FilterNames()
{
    QStringList names {QStringLiteral("すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)"),
                       QStringLiteral("JPEG イメージファイル"), QStringLiteral("ビットマップ (*.bmp)")};
    for (const NewKind &kind : newKinds())
        names << kind.name;
    return names;
}

QStringList PictureOpenDialog::NameFilters()
{
    const QStringList names = FilterNames();
    // The first entry lists every kind the program opens, so that a phone's photo shows at once.
    QStringList all {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.bmp")};
    for (const NewKind &kind : newKinds())
        all << kind.patterns;
    QStringList filters {filter(names[0], all),
                         filter(names[1], {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg")}),
                         filter(names[2], {QStringLiteral("*.bmp")})};
    for (const NewKind &kind : newKinds())
        filters << filter(kind.name, kind.patterns);
    return filters;
}

void PictureOpenDialog::Prepare(QFileDialog &dialog, const QString &startFolder) const
{
    dialog.setWindowTitle(QStringLiteral("開く"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The names show as they are; the patterns behind them stay out of sight.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(NameFilters());
    const QString folder = startFolder.isEmpty() ? m_lastFolder : startFolder;
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
}

QString PictureOpenDialog::Execute(const QString &startFolder)
{
    // On the heap: the owner may go while the dialog runs, and takes the dialog with it.
    const QPointer<QFileDialog> dialog = new QFileDialog(m_owner);
    Prepare(*dialog, startFolder);
    const int result = dialog->exec();
    if (!dialog)
        return QString();
    const QString file = result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    delete dialog;
    if (!file.isEmpty())
        m_lastFolder = QFileInfo(file).path();
    return file;
}

TBrowseFolder::TBrowseFolder(QWidget *owner)
    : m_owner(owner)
{ }

void TBrowseFolder::Prepare(QFileDialog &dialog, const QString &initialFolder) const
{
    dialog.setWindowTitle(QString());
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setDirectory(initialFolder.isEmpty() ? QDir::homePath() : initialFolder);
}

std::optional<QString> TBrowseFolder::Browse(const QString &initialFolder)
{
    m_folder = initialFolder;
    const QPointer<QFileDialog> dialog = new QFileDialog(m_owner);
    Prepare(*dialog, initialFolder);
    const int result = dialog->exec();
    if (!dialog) {
        m_folder.clear();
        return std::nullopt;
    }
    m_folder = result == QDialog::Accepted ? dialog->selectedFiles().value(0) : QString();
    delete dialog;
    if (m_folder.isEmpty())
        return std::nullopt;
    m_folder = QDir::cleanPath(m_folder);
    return m_folder;
}
