#pragma once

#include <QDialog>
#include <QImage>
#include <QPointer>

class QLabel;
class FlatPanel;
class TLabeledBmpBtn;

// Colours as the prompt interface passes them: 0xRRGGBB.
QColor ColorFromRgb(int rgb);
int RgbOf(const QColor &color);

// The colour dialog for the picture's background colour: a colour chart to click in, a swatch of
// the colour under the pointer and one of the chosen colour.
class TSelectColor : public QDialog
{
    Q_OBJECT
public:
    // Shown centred over the active window (none: the screen).
    explicit TSelectColor(QWidget *parent = nullptr);

    // Starts from `initial` (0xRRGGBB); returns the chosen colour, or -1 when cancelled.
    int Pick(int initial);
    // Sets the swatches to `initial` and centres the dialog, without showing it.
    void Prepare(int initial);

    int PickerColor() const { return m_picker; }
    int SelectedColor() const { return m_selected; }
    // The chart picked from; drawn by the first Prepare.
    const QImage &Chart() const { return m_chart; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void imgChartMouseMove(QPoint pos);
    void imgChartMouseDown(QPoint pos);
    void btnOkClick();
    void btnCancelClick();
    int chartColor(QPoint pos) const;
    void setSwatch(FlatPanel *swatch, int &store, int rgb);

    QImage m_chart;
    FlatPanel *pnlBase = nullptr;
    FlatPanel *pnkChart = nullptr;
    QLabel *imgChart = nullptr;
    FlatPanel *pnlPicker = nullptr;
    FlatPanel *pnlSelectColor = nullptr;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
    int m_initial = 0xFFFFFF;
    int m_picker = 0xFFFFFF;
    int m_selected = 0xFFFFFF;
};
