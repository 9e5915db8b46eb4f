#include "mainwindow/FileModePane.h"

#include "mainwindow/MainArtwork.h"
#include "mainwindow/model/MainModel.h"
#include "widgets/Accessibility.h"
#include "widgets/FlatComboBox.h"
#include "widgets/LabeledBmpBtn.h"

FileModePane::FileModePane(MainModel &model, QWidget *parent)
    : Pane("pnlFileMode", parent)
    , m_model(model)
{
    btnOpenDialog = MakeMainButton(this, "btnOpenDialog", QRect(8, 8, 109, 40),
                                   QStringLiteral("ファイル名で\\nファイルを選択"));
    btnOpenThumbnail = MakeMainButton(this, "btnOpenThumbnail", QRect(125, 8, 109, 40),
                                      QStringLiteral("サムネイルで\\nファイルを選択"));

    lbFolder = new PaneLabel(this, "lbFolder", QStringLiteral("フォルダ："), QPoint(8, 58));
    cbxFolder = new TFlatComboBox(this);
    cbxFolder->setObjectName(QStringLiteral("cbxFolder"));
    cbxFolder->setEditable(true);
    cbxFolder->setGeometry(8, 76, 164, 20);
    NameFromLabel(cbxFolder, lbFolder);
    btnOpenFolder = MakeMainButton(this, "btnOpenFolder", QRect(178, 74, 56, 24), QStringLiteral("画像選択"));
    btnOpenFolder->SetEnabled(false);

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

    connect(btnOpenDialog, &TBmpBtn::clicked, &model, &MainModel::btnOpenDialogClick);
    for (TLabeledBmpBtn *b : {btnOpenThumbnail, btnOpenFolder, btnFindFolder, btnSelectFolder, btnRecent,
                              btnOpenRecent, btnOpenInterval})
        connect(b, &TBmpBtn::clicked, &model, &MainModel::PanelClick);
    connect(this, &TFlatPanel::clicked, &model, &MainModel::PanelClick);
    connect(&model, &MainModel::stateChanged, this, &FileModePane::Refresh);
    Refresh();
}

QList<TFlatComboBox *> FileModePane::DropDownLists() const
{
    return {cbxFolder};
}

void FileModePane::Refresh()
{
    btnOpenRecent->SetEnabled(m_model.OpenRecentEnabled());
    btnOpenInterval->SetEnabled(m_model.OpenIntervalEnabled());
}
