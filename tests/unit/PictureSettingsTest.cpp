// The picture parameters of the picture settings step: what is kept, what is ignored, and that the
// pane hears of every change and of nothing else.

#include "picture/PictureSettings.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(PictureSettingsTest, KeepsWhatIsInRangeAndIgnoresTheRestWithoutASignal)
{
    struct State
    {
        int preset, quality, width, height;
        bool operator==(const State &) const = default;
    };
    const auto state = [](const PictureSettings &s) {
        return State {s.SizePreset(), s.QualityLevel(), s.PictureWidth(), s.PictureHeight()};
    };
    const struct
    {
        const char *what;
        std::function<void(PictureSettings &)> change;
        State after; // from preset 1, quality 1, 132 x 176
        bool announced;
    } cases[] = {
        {"the user size preset", [](PictureSettings &s) { s.SetSizePreset(3); }, {3, 1, 132, 176}, true},
        {"no size selected", [](PictureSettings &s) { s.SetSizePreset(-1); }, {-1, 1, 132, 176}, true},
        {"a size past the list", [](PictureSettings &s) { s.SetSizePreset(4); }, {1, 1, 132, 176}, false},
        {"a size below -1", [](PictureSettings &s) { s.SetSizePreset(-2); }, {1, 1, 132, 176}, false},
        {"the high quality", [](PictureSettings &s) { s.SetQualityLevel(2); }, {1, 2, 132, 176}, true},
        {"a quality past the list",
         [](PictureSettings &s) { s.SetQualityLevel(3); },
         {1, 1, 132, 176},
         false},
        {"a user size", [](PictureSettings &s) { s.SetPictureSize(200, 150); }, {1, 1, 200, 150}, true},
        {"no width", [](PictureSettings &s) { s.SetPictureSize(0, 150); }, {1, 1, 132, 176}, false},
        {"a negative height", [](PictureSettings &s) { s.SetPictureSize(200, -1); }, {1, 1, 132, 176}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        PictureSettings settings;
        settings.SetSizePreset(1);
        settings.SetQualityLevel(1);
        settings.SetPictureSize(132, 176);
        QSignalSpy changed(&settings, &PictureSettings::changed);
        c.change(settings);
        EXPECT_TRUE(state(settings) == c.after);
        EXPECT_EQ(changed.count(), c.announced ? 1 : 0);
    }
}

TEST(PictureSettingsTest, StartsWithNothingSelectedAndTheFullSizeInGreyFields)
{
    PictureSettings settings;
    EXPECT_EQ(settings.SizePreset(), -1);
    EXPECT_EQ(settings.QualityLevel(), -1);
    EXPECT_EQ(settings.WidthText(), "240");
    EXPECT_EQ(settings.HeightText(), "320");
    EXPECT_FALSE(settings.UserSizeEnabled());
    EXPECT_EQ(settings.UserSizeBorderColor(), (Rgb {128, 128, 128}));
    QSignalSpy changed(&settings, &PictureSettings::changed);
    settings.EnableUserSize(true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(settings.UserSizeBorderColor(), (Rgb {255, 138, 0}));
    EXPECT_EQ(settings.UserSizeTextColor(), (Rgb {128, 0, 128}));
}

} // namespace
