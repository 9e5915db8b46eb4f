#pragma once

#include "mainwindow/PaneKit.h"

#include <QList>

class MainModel;
class ScheduleModel;
class TFlatCheckBox;
class TFlatComboBox;
class TFlatEdit;
class TextBinding;
class TLabeledBmpBtn;

// pnlAutoMode: when the schedule starts (a clock time or a delay), its period, the picture size and
// quality, the recipient or capture only, and the live view's fit.
class AutoModePane : public Pane
{
    Q_OBJECT
public:
    AutoModePane(MainModel &model, QWidget *parent);

private:
    void Refresh();
    void RefillLists();
    // A button of the pane: the handler runs, then the pane shows the new state.
    void button(TLabeledBmpBtn *b, const std::function<void()> &handler, bool mouseDown = false);

    ScheduleModel &m_schedule;
    QList<TextBinding *> m_shown;
    TFlatEdit *edtHour = nullptr;
    TFlatEdit *edtMin = nullptr;
    TLabeledBmpBtn *btnHUp = nullptr;
    TLabeledBmpBtn *btnHDown = nullptr;
    TLabeledBmpBtn *btnMUp = nullptr;
    TLabeledBmpBtn *btnMDown = nullptr;
    TLabeledBmpBtn *btnStartTime = nullptr;
    TLabeledBmpBtn *btnPassingTime = nullptr;
    TFlatComboBox *cbxInterval = nullptr;
    TFlatComboBox *cbxSizeAuto = nullptr;
    TFlatComboBox *cbxQualityAuto = nullptr;
    TFlatComboBox *cbxNameAuto = nullptr;
    TFlatComboBox *cbxAddressAuto = nullptr;
    TLabeledBmpBtn *btnAddressAuto = nullptr;
    TFlatCheckBox *chkNoSend = nullptr;
    PaneLabel *lbNoSend = nullptr;
    TLabeledBmpBtn *btnResizeByHeightAuto = nullptr;
    TLabeledBmpBtn *btnResizeByWidthAuto = nullptr;
};
