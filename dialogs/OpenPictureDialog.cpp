#include "dialogs/OpenPictureDialog.h"

#include "common/ApplicationTitle.h"

#include <QFileDialog>

namespace {

// The patterns in both letter cases, since the platform's dialog matches them exactly.
QString patterns(std::initializer_list<const char *> suffixes)
{
    QStringList out;
    for (const char *suffix : suffixes) {
        const QString s = QString::fromLatin1(suffix);
        out << QStringLiteral("*.") + s << QStringLiteral("*.") + s.toUpper();
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

QStringList OpenPictureFilters()
{
    return {
        QStringLiteral("すべてのファイル (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf) (%1)")
            .arg(patterns({"jpg", "jpeg", "bmp"})),
        QStringLiteral("JPEG イメージファイル (%1)").arg(patterns({"jpg", "jpeg"})),
        QStringLiteral("ビットマップ (*.bmp) (%1)").arg(patterns({"bmp"})),
    };
}

QString OpenPictureDialog(QWidget *parent, const QString &startFolder)
{
    static QString lastFolder;
    QFileDialog dialog(parent, ApplicationTitle());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Only the names of the filters show, not the patterns behind them.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(OpenPictureFilters());
    const QString folder = startFolder.isEmpty() ? lastFolder : startFolder;
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastFolder = dialog.directory().absolutePath();
    return dialog.selectedFiles().first();
}
