#pragma once

#include "picture/Capture.h"

#include <QDialog>
#include <QHash>
#include <QPointer>

#include <functional>
#include <optional>

class QLabel;
class QListWidget;
class TLabeledBmpBtn;

// The camera's format dialog: its formats (size and pixel format), the current one selected.
class CameraFormatDialog : public QDialog
{
    Q_OBJECT
public:
    CameraFormatDialog(const QList<CaptureFormat> &formats, int current, QWidget *parent = nullptr);

    static QString ItemText(const CaptureFormat &format);
    QListWidget *FormatList() const { return lbxFormat; }
    // The selected format, -1 for none.
    int Chosen() const;

private:
    QListWidget *lbxFormat = nullptr;
    TLabeledBmpBtn *btnOk = nullptr;
    TLabeledBmpBtn *btnCancel = nullptr;
};

// The camera's source dialog: one row per picture control (a slider for numbers, a check box for
// switches, a list for menus). Every change goes to the camera at once, so the live view follows;
// the rows are then read anew, since one control may enable or disable another. "標準" puts every
// control to its default. Cancelling is undone by the caller, which knows the values from before.
class CameraSourceDialog : public QDialog
{
    Q_OBJECT
public:
    using Read = std::function<QList<CaptureControl>()>;
    using Apply = std::function<bool(quint32 id, int value)>;

    CameraSourceDialog(Read read, Apply apply, QWidget *parent = nullptr);

    // The input of a control: a QSlider, QCheckBox or QComboBox; null for an unknown id.
    QWidget *Input(quint32 id) const { return m_inputs.value(id); }
    void btnDefaultClick();

protected:
    // Its buttons take no focus: Enter keeps the changes, as 決定 does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void change(quint32 id, int value);
    void refresh();

    Read m_read;
    Apply m_apply;
    QHash<quint32, QWidget *> m_inputs;
    QHash<quint32, QLabel *> m_values;
    QList<CaptureControl> m_controls;
    bool m_refreshing = false;
};

// The camera dialogs shown as modal windows over parent.
class UiCaptureDialogs : public CaptureDialogs
{
public:
    explicit UiCaptureDialogs(QWidget *parent = nullptr)
        : m_parent(parent)
    { }
    // The window the dialogs show over (the settings dialog, whose buttons open them).
    void SetParent(QWidget *parent) { m_parent = parent; }

    std::optional<int> ChooseFormat(const QList<CaptureFormat> &formats, int current) override;
    bool EditControls(const CameraSourceDialog::Read &read, const CameraSourceDialog::Apply &apply) override;

private:
    QPointer<QWidget> m_parent;
};
