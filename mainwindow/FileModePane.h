#pragma once

#include "mainwindow/PaneKit.h"

class FileSourceModel;
class MainModel;
class FlatComboBox;
class TextBinding;
class TLabeledBmpBtn;

// pnlFileMode: the ways a picture comes from a file — the open dialog, the thumbnails of a folder,
// the folder box with its history, the media search, the folder browser and the sent folder — and
// the buttons that open the sent and scheduled folders in the file manager.
class FileModePane : public Pane
{
    Q_OBJECT
public:
    FileModePane(MainModel &model, QWidget *parent);

private:
    void Refresh();
    void RefreshFolderBox();
    // A button of the pane that runs a handler of the file source.
    void button(TLabeledBmpBtn *b, void (FileSourceModel::*handler)());

    FileSourceModel &m_source;
    TLabeledBmpBtn *btnOpenDialog = nullptr;
    TLabeledBmpBtn *btnOpenThumbnail = nullptr;
    PaneLabel *lbFolder = nullptr;
    FlatComboBox *cbxFolder = nullptr;
    TLabeledBmpBtn *btnOpenFolder = nullptr;
    TLabeledBmpBtn *btnFindFolder = nullptr;
    TLabeledBmpBtn *btnSelectFolder = nullptr;
    TLabeledBmpBtn *btnRecent = nullptr;
    PaneLabel *lbOpenIn = nullptr;
    TLabeledBmpBtn *btnOpenRecent = nullptr;
    TLabeledBmpBtn *btnOpenInterval = nullptr;
    TextBinding *m_folderText = nullptr;
};
