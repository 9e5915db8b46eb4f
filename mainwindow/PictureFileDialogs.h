#pragma once

#include "mainwindow/model/FileSourceModel.h"

#include <QString>
#include <QStringList>

class QFileDialog;
class QWidget;

// The platform's open-picture dialog with the program's filters. Each filter lists the extensions
// in every letter case, as the original platform matched them; a camera's IMG_0001.JPG shows.
class PictureOpenDialog
{
public:
    explicit PictureOpenDialog(QWidget *owner = nullptr);

    // The file chosen, or empty. An empty start folder keeps the folder of the last use.
    QString Execute(const QString &startFolder);

    // What the filter list offers, as shown to the user.
    static QStringList FilterNames();
    // The filters as the dialog takes them: each name with its patterns.
    static QStringList NameFilters();
    // Prepares the dialog Execute shows (for tests: it is shown with exec()).
    void Prepare(QFileDialog &dialog, const QString &startFolder) const;

private:
    QWidget *m_owner;
    QString m_lastFolder;
};

// The platform's folder browser: folders only, opening on the initial folder, without a title.
class TBrowseFolder : public FolderBrowser
{
public:
    explicit TBrowseFolder(QWidget *owner = nullptr);

    std::optional<QString> Browse(const QString &initialFolder) override;
    // The folder of the last use: the initial one, then the one chosen (empty after a cancel).
    const QString &Folder() const { return m_folder; }
    void Prepare(QFileDialog &dialog, const QString &initialFolder) const;

private:
    QWidget *m_owner;
    QString m_folder;
};
