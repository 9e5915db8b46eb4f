#pragma once

#include "mainwindow/PaneKit.h"

class MainModel;
class SizeField;
class FlatComboBox;
class TLabeledBmpBtn;
class PopupListWindow;
class PictureCanvas;

// pnlPictureConfig, mail step 1: the size and quality lists, the user width and height, and the
// buttons that zoom, fit, align and rotate the picture and change the background colour.
class PictureConfigPane : public Pane
{
    Q_OBJECT
public:
    PictureConfigPane(MainModel &model, QWidget *parent);

private:
    void Refresh();
    void cbxSizeMailChange();
    void cbxQualityMailChange();
    void edtWHMailClick();
    // A button of the pane that runs an operation of the canvas.
    void button(TLabeledBmpBtn *b, void (PictureCanvas::*operation)());

    PictureCanvas &m_canvas;
    PaneLabel *lbSizeMail = nullptr;
    PaneLabel *lbQualityMail = nullptr;
    FlatComboBox *cbxSizeMail = nullptr;
    FlatComboBox *cbxQualityMail = nullptr;
    PaneLabel *lbWidthMail = nullptr;
    PaneLabel *lbHeightMail = nullptr;
    SizeField *edtWidthMail = nullptr;
    SizeField *edtHeightMail = nullptr;
    TLabeledBmpBtn *btnZoomUp = nullptr;
    TLabeledBmpBtn *btnZoomDown = nullptr;
    TLabeledBmpBtn *btnResizeByHeight = nullptr;
    TLabeledBmpBtn *btnResizeByWidth = nullptr;
    TLabeledBmpBtn *btnRotateLeft = nullptr;
    TLabeledBmpBtn *btnRotateRight = nullptr;
    TLabeledBmpBtn *btnFitLeft = nullptr;
    TLabeledBmpBtn *btnFitTop = nullptr;
    TLabeledBmpBtn *btnFitRight = nullptr;
    TLabeledBmpBtn *btnFitBottom = nullptr;
    TLabeledBmpBtn *btnCentering = nullptr;
    TLabeledBmpBtn *btnCHengeBackColor = nullptr;
    FlatPanel *pnlBackColorDisplay = nullptr;
};
