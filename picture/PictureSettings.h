#pragma once

#include "common/Bitmap.h"

#include <QObject>
#include <QString>
#include <QStringList>

// The picture parameters of the picture settings step: the size preset and quality level chosen in
// their lists, the picture's width and height, and whether the user size fields are open. The
// canvas lays its frame out for them; the pane shows them; the render step copies them into the
// recipient.
class PictureSettings : public QObject
{
    Q_OBJECT

public:
    // Items of the size and quality lists; the item index is the size preset or quality level.
    static const QStringList &SizeItems();
    static const QStringList &QualityItems();
    // The size preset whose width and height the user gives.
    static constexpr int UserSizePreset = 3;

    using QObject::QObject;

    // The selected item of the size list (size preset 0..3) and of the quality list (0..2); -1 when
    // none is selected. Out-of-range values are ignored.
    int SizePreset() const { return m_sizePreset; }
    void SetSizePreset(int preset);
    int QualityLevel() const { return m_qualityLevel; }
    void SetQualityLevel(int level);
    // The width and height fields; sizes below 1 are ignored.
    int PictureWidth() const { return m_pictureWidth; }
    int PictureHeight() const { return m_pictureHeight; }
    QString WidthText() const { return QString::number(m_pictureWidth); }
    QString HeightText() const { return QString::number(m_pictureHeight); }
    void SetPictureSize(int width, int height);

    // The user width and height fields: enabled with an orange border and purple text, or disabled
    // and grey.
    void EnableUserSize(bool on);
    bool UserSizeEnabled() const { return m_userSizeEnabled; }
    Rgb UserSizeBorderColor() const;
    Rgb UserSizeTextColor() const;

Q_SIGNALS:
    void changed(); // size preset, quality level, width and height, user size fields

private:
    int m_sizePreset = -1;
    int m_qualityLevel = -1;
    int m_pictureWidth = 240;
    int m_pictureHeight = 320;
    bool m_userSizeEnabled = false;
};
