#include "app/BuiltArtwork.h"
#include "app/SplashUnit.h"
#include "common/UserData.h"
#include "mainwindow/MainArtwork.h"
#include "widgets/Artwork.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(Splash, ShowsTheSettingsVersionRightAlignedAt125)
{
    TUserData settings;
    settings.Major = 2;
    settings.Minor = 0;
    TSplash splash(settings, false);
    EXPECT_EQ(splash.VersionText(), "Version 2.0");
    EXPECT_EQ(splash.size(), QSize(130, 130));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(splash.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    auto *label = splash.findChild<QLabel *>("lbVersion");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->geometry().x() + label->geometry().width(), 125);
    EXPECT_EQ(label->geometry().y(), 111);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(128, 0, 128));

    settings.Minor = 1;
    EXPECT_EQ(TSplash(settings, false).VersionText(), "Version 2.1");
}

TEST(Splash, ShowsTheLogoTheBuildDrewWhichIsTheProgramsOwn)
{
    const QImage built = BuiltSplashLogo();
    ASSERT_FALSE(built.isNull());
    EXPECT_EQ(built.size(), QSize(128, 128));
    const QImage drawn = Artwork::Logo().toImage();
    EXPECT_EQ(built.convertToFormat(drawn.format()), drawn);

    TUserData settings;
    TSplash splash(settings, false);
    const auto labels = splash.findChildren<QLabel *>();
    const auto logo
        = std::find_if(labels.begin(), labels.end(), [](QLabel *l) { return !l->pixmap().isNull(); });
    ASSERT_NE(logo, labels.end());
    EXPECT_EQ((*logo)->pixmap().toImage().convertToFormat(drawn.format()), drawn);
}

TEST(Splash, TheModeMarkersTheBuildDrewAreTheOnesTheWindowDraws)
{
    const std::optional<std::array<QImage, 3>> built = BuiltModeMarkers();
    ASSERT_TRUE(built.has_value());
    using MainArtwork::ModeKind;
    for (const ModeKind kind : {ModeKind::File, ModeKind::Camera, ModeKind::Auto}) {
        SCOPED_TRACE(int(kind));
        const QImage drawn = MainArtwork::ModeButton(kind, Artwork::ButtonLook::Normal, true).toImage();
        EXPECT_EQ((*built)[size_t(kind)].size(), MainArtwork::kModeButtonSize);
        EXPECT_EQ((*built)[size_t(kind)].convertToFormat(drawn.format()), drawn);
    }
    // Given to the artwork, the built one is what it shows, whatever the look asked for.
    const QPixmap marked = QPixmap::fromImage((*built)[1]);
    MainArtwork::ProvideModeMarker(ModeKind::Camera, marked);
    EXPECT_EQ(MainArtwork::ModeButton(ModeKind::Camera, Artwork::ButtonLook::Disable, true).cacheKey(),
              marked.cacheKey());
    // A picture of another size is not taken.
    MainArtwork::ProvideModeMarker(ModeKind::File, QPixmap(10, 10));
    EXPECT_EQ(MainArtwork::ModeButton(ModeKind::File, Artwork::ButtonLook::Normal, true).size(),
              MainArtwork::kModeButtonSize);
}

TEST(Splash, WithoutFadingItShowsOpaqueAndHidesAfterItsWait)
{
    TUserData settings;
    TSplash splash(settings, false);
    splash.tmWait.setInterval(50);
    EXPECT_EQ(splash.Opacity(), 255);
    splash.show();
    EXPECT_FALSE(splash.tmAlpha.isActive());
    EXPECT_TRUE(splash.tmWait.isActive());
    EXPECT_TRUE(splash.isVisible());
    QTest::qWait(20);
    EXPECT_TRUE(splash.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 2000));
    EXPECT_FALSE(splash.tmWait.isActive());
}

TEST(Splash, FadingStartsAt7AndReachesExactly255BeforeTheWait)
{
    TUserData settings;
    TSplash splash(settings, true);
    splash.tmWait.setInterval(100000);
    EXPECT_EQ(splash.Opacity(), 7);
    EXPECT_NEAR(splash.windowOpacity(), 7 / 255.0, 0.01);

    int ticks = 0;
    QObject::connect(&splash.tmAlpha, &QTimer::timeout, [&] { ++ticks; });
    splash.show();
    EXPECT_TRUE(splash.tmAlpha.isActive());
    EXPECT_FALSE(splash.tmWait.isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return splash.tmWait.isActive(); }, 5000));
    EXPECT_FALSE(splash.tmAlpha.isActive());
    EXPECT_EQ(ticks, 31);
    EXPECT_EQ(splash.Opacity(), 255);
    EXPECT_DOUBLE_EQ(splash.windowOpacity(), 1.0);
    EXPECT_TRUE(splash.isVisible());
}

TEST(Splash, OnlyPlatformsThatShowOpacityFade)
{
    // The tests run on the offscreen platform, which shows no opacity.
    EXPECT_FALSE(TSplash::PlatformFades());
}

} // namespace
