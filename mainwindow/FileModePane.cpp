#include "mainwindow/FileModePane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/FileSourceModel.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/Binding.h"
#include "widgets/FlatComboBox.h"
#include "widgets/LabeledBmpBtn.h"

#include <QLineEdit>

FileModePane::FileModePane(MainModel &model, QWidget *parent)
    : Pane("pnlFileMode", model, parent)
    , m_source(model.FileSource())
{
    btnOpenDialog = MakeMainButton(this, "btnOpenDialog", QRect(8, 8, 109, 40),
                                   QStringLiteral("ファイル名で\\nファイルを選択"));
    btnOpenThumbnail = MakeMainButton(this, "btnOpenThumbnail", QRect(125, 8, 109, 40),
                                      QStringLiteral("サムネイルで\\nファイルを選択"));

    lbFolder = new PaneLabel(this, "lbFolder", QStringLiteral("フォルダ："), QPoint(8, 58));
    cbxFolder = new FlatComboBox(this);
    cbxFolder->setObjectName(QStringLiteral("cbxFolder"));
    cbxFolder->SetEditable(true);
    cbxFolder->setGeometry(8, 76, 164, 20);
    NameFromLabel(cbxFolder, lbFolder);
    btnOpenFolder = MakeMainButton(this, "btnOpenFolder", QRect(178, 74, 56, 24), QStringLiteral("画像選択"));

    btnFindFolder
        = MakeMainButton(this, "btnFindFolder", QRect(8, 106, 109, 26), QStringLiteral("メディアを検索する"));
    btnSelectFolder = MakeMainButton(this, "btnSelectFolder", QRect(125, 106, 109, 26),
                                     QStringLiteral("フォルダを参照する"));
    btnRecent
        = MakeMainButton(this, "btnRecent", QRect(8, 138, 226, 26), QStringLiteral("送信済みフォルダを開く"));

    lbOpenIn = new PaneLabel(this, "lbOpenIn", QStringLiteral("ファイルマネージャで開く："), QPoint(8, 178));
    btnOpenRecent = MakeMainButton(this, "btnOpenRecent", QRect(8, 196, 109, 26), QStringLiteral("送信済み"));
    btnOpenInterval
        = MakeMainButton(this, "btnOpenInterval", QRect(125, 196, 109, 26), QStringLiteral("撮影予約"));

    button(btnOpenDialog, &FileSourceModel::btnOpenDialogClick);
    button(btnOpenThumbnail, &FileSourceModel::btnOpenThumbnailClick);
    button(btnOpenFolder, &FileSourceModel::btnOpenFolderClick);
    button(btnFindFolder, &FileSourceModel::btnFindFolderClick);
    button(btnSelectFolder, &FileSourceModel::btnSelectFolderClick);
    button(btnRecent, &FileSourceModel::btnRecentClick);
    button(btnOpenRecent, &FileSourceModel::btnOpenRecentClick);
    button(btnOpenInterval, &FileSourceModel::btnOpenIntervalClick);
    connect(cbxFolder, &FlatComboBox::changed, this, [this] {
        m_model.PanelClick();
        m_source.cbxFolderSelect(cbxFolder->ItemIndex());
    });
    m_folderText = TextBinding::Bind(
        cbxFolder, [this] { return m_source.FolderText(); },
        [this](const QString &text) { m_source.TypeFolderText(text); });
    // Enter after a typed or pasted folder chooses it.
    connect(cbxFolder, &FlatComboBox::entered, this, [this] {
        m_model.PanelClick();
        m_source.EnterFolderText();
    });

    connect(&model, &MainModel::stateChanged, this, &FileModePane::Refresh);
    connect(&m_source, &FileSourceModel::folderBoxChanged, this, &FileModePane::RefreshFolderBox);
    connect(&m_source, &FileSourceModel::openFolderEnabledChanged, this, &FileModePane::Refresh);
    RefreshFolderBox();
    Refresh();
}

void FileModePane::button(TLabeledBmpBtn *b, void (FileSourceModel::*handler)())
{
    OnButton(b, [source = &m_source, handler] { (source->*handler)(); });
}

void FileModePane::RefreshFolderBox()
{
    {
        const QSignalBlocker quiet(cbxFolder);
        const TextBinding::Hold hold(m_folderText);
        const QStringList items = m_source.FolderItems();
        if (cbxFolder->Items() != items)
            cbxFolder->SetItems(items);
        cbxFolder->SetItemIndex(m_source.FolderIndex());
    }
    // The hint shows the whole path, which the box may be too narrow for.
    cbxFolder->setToolTip(m_source.FolderText());
}

void FileModePane::Refresh()
{
    btnOpenFolder->SetEnabled(m_source.OpenFolderEnabled());
    btnOpenRecent->SetEnabled(m_model.OpenRecentEnabled());
    btnOpenInterval->SetEnabled(m_model.OpenIntervalEnabled());
}
