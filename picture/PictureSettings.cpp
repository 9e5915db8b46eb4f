#include "picture/PictureSettings.h"

namespace {

constexpr Rgb kOrange {255, 138, 0};
constexpr Rgb kPurple {128, 0, 128};
constexpr Rgb kGrey {128, 128, 128};

} // namespace

const QStringList &PictureSettings::SizeItems()
{
    static const QStringList items {QStringLiteral("120 x 120"), QStringLiteral("132 x 176"),
                                    QStringLiteral("240 x 320"), QStringLiteral("ユーザー設定")};
    return items;
}

const QStringList &PictureSettings::QualityItems()
{
    static const QStringList items {QStringLiteral("低"), QStringLiteral("中"), QStringLiteral("高")};
    return items;
}

void PictureSettings::SetSizePreset(int preset)
{
    if (preset < -1 || preset >= SizeItems().size())
        return;
    m_sizePreset = preset;
    Q_EMIT changed();
}

void PictureSettings::SetQualityLevel(int level)
{
    if (level < -1 || level >= QualityItems().size())
        return;
    m_qualityLevel = level;
    Q_EMIT changed();
}

void PictureSettings::SetPictureSize(int width, int height)
{
    if (width <= 0 || height <= 0)
        return;
    m_pictureWidth = width;
    m_pictureHeight = height;
    Q_EMIT changed();
}

void PictureSettings::EnableUserSize(bool on)
{
    m_userSizeEnabled = on;
    Q_EMIT changed();
}

Rgb PictureSettings::UserSizeBorderColor() const
{
    return m_userSizeEnabled ? kOrange : kGrey;
}

Rgb PictureSettings::UserSizeTextColor() const
{
    return m_userSizeEnabled ? kPurple : kGrey;
}
