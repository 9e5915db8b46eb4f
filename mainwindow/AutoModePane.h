#pragma once

#include "mainwindow/PaneKit.h"

#include <QList>

class MainModel;
class ScheduleModel;
class FlatCheckBox;
class FlatComboBox;
class FlatEdit;
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
    FlatEdit *edtHour = nullptr;
    FlatEdit *edtMin = nullptr;
    TLabeledBmpBtn *btnHUp = nullptr;
    TLabeledBmpBtn *btnHDown = nullptr;
    TLabeledBmpBtn *btnMUp = nullptr;
    TLabeledBmpBtn *btnMDown = nullptr;
    TLabeledBmpBtn *btnStartTime = nullptr;
    TLabeledBmpBtn *btnPassingTime = nullptr;
    FlatComboBox *cbxInterval = nullptr;
    FlatComboBox *cbxSizeAuto = nullptr;
    FlatComboBox *cbxQualityAuto = nullptr;
    FlatComboBox *cbxNameAuto = nullptr;
    FlatComboBox *cbxAddressAuto = nullptr;
    TLabeledBmpBtn *btnAddressAuto = nullptr;
    FlatCheckBox *chkNoSend = nullptr;
    PaneLabel *lbNoSend = nullptr;
    TLabeledBmpBtn *btnResizeByHeightAuto = nullptr;
    TLabeledBmpBtn *btnResizeByWidthAuto = nullptr;
};
