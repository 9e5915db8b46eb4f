#pragma once

#include "mainwindow/model/MediaSearch.h"

#include <QDialog>

class FlatListBox;
class FlatPanel;
class TLabeledBmpBtn;

// The media search's window: the camera folders found on the cards, to choose one from. OK or a
// double click takes the selected folder; the first one is selected when it shows.
class TFindFolder : public QDialog, public DcfFolderChooser
{
    Q_OBJECT
public:
    // Centred on owner, not its child.
    explicit TFindFolder(QWidget *owner = nullptr);

    std::optional<QString> ChooseDcfFolder(const QStringList &folders) override;
    // The folder taken by the last use; empty after a cancel.
    const QString &FolderFound() const { return m_found; }
    FlatListBox *List() const { return lbxDCFFolderList; }

    void btnOkClick();
    void btnCancelClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    FlatPanel *pnlBase = nullptr;
    FlatListBox *lbxDCFFolderList = nullptr;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    QWidget *m_owner = nullptr;
    QString m_found;
};
