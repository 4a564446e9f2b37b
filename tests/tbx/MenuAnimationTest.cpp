// Menu animation settings: which kinds a system allows, what a requested kind becomes, and the
// style picked for each popup, under injected system settings.
#include "ThemeTestSupport.h"
#include "tbx/TBXMenuAnimation.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using tbx_test::TFakeSystemSettings;

// Answers the highest number below the range asked, and remembers the ranges.
class THighestRandom : public seams::TRandom {
 public:
  int Next(int Range) override {
    Ranges.push_back(Range);
    return Range - 1;
  }
  std::vector<int> Ranges;
};

class MenuAnimation : public testing::Test {
 protected:
  TFakeSystemSettings settings;
  seams::Scoped<seams::TSystemSettings> useSettings{settings};
};

TEST(MenuAnimationCapabilities, ByWindowsVersion) {
  struct TCase {
    DWORD Platform, Major, Minor;
    int Capabilities;
  } cases[] = {
      {VER_PLATFORM_WIN32_NT, 4, 0, 1},       {VER_PLATFORM_WIN32_NT, 5, 0, 63},
      {VER_PLATFORM_WIN32_NT, 5, 1, 63},      {VER_PLATFORM_WIN32_NT, 6, 1, 63},
      {VER_PLATFORM_WIN32_NT, 10, 0, 63},     {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1},
      {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 31}, {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 31},
      {VER_PLATFORM_WIN32s, 3, 11, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TTBXMenuAnimation::CapabilitiesOf(c.Platform, c.Major, c.Minor), c.Capabilities)
        << c.Platform << " " << c.Major << "." << c.Minor;
}

TEST_F(MenuAnimation, ARequestedKindStepsDownToOneTheSystemAllows) {
  struct TCase {
    int Capabilities;
    bool SystemAnimates;
    uint8_t Requested, Stored;
  } cases[] = {
      {63, true, 0, 0},  {63, true, 1, 1},  {63, false, 1, 0}, {63, true, 2, 2},  {63, true, 3, 3},
      {63, true, 4, 4},  {63, true, 5, 5},  {63, true, 6, 5},  {63, false, 7, 5}, {63, true, 200, 5},
      {31, true, 5, 4},  {31, true, 7, 4},  {31, true, 2, 2},  {31, false, 1, 0}, {31, true, 1, 1},
      {1, true, 1, 0},   {1, true, 2, 0},   {1, true, 5, 0},   {1, true, 7, 0},   {1, true, 0, 0},
  };
  for (const auto& c : cases) {
    settings.Animation = c.SystemAnimates;
    TTBXMenuAnimation animation(c.Requested, c.Capabilities);
    EXPECT_EQ(animation.AnimationKind(), c.Stored)
        << "caps " << c.Capabilities << ", kind " << int(c.Requested) << ", animates " << c.SystemAnimates;
    EXPECT_EQ(animation.GetCapabilities(), c.Capabilities);
  }
}

TEST_F(MenuAnimation, EachKindPicksItsStyle) {
  struct TCase {
    uint8_t Kind;
    bool Animates, Fades;
    int Style;
  } cases[] = {
      {makNone, true, true, masNone},      {makSystem, false, true, masNone},
      {makSystem, true, false, masSlide},  {makSystem, true, true, masFade},
      {makUnfold, false, false, masUnfold}, {makSlide, false, false, masSlide},
      {makFade, false, false, masFade},
  };
  for (const auto& c : cases) {
    settings.Animation = true;  // so that kind 1 is kept
    TTBXMenuAnimation animation(c.Kind, 63);
    settings.Animation = c.Animates;
    settings.Fade = c.Fades;
    EXPECT_EQ(animation.PickStyle(), c.Style) << int(c.Kind) << c.Animates << c.Fades;
  }
}

TEST_F(MenuAnimation, RandomStylesFadeOnlyWhereTheSystemCanFade) {
  THighestRandom random;
  seams::Scoped<seams::TRandom> useRandom(random);
  struct TCase {
    int Capabilities;
    int Range, HighestStyle;
  } cases[] = {{63, 3, masFade}, {31, 2, masSlide}};
  for (const auto& c : cases) {
    random.Ranges.clear();
    TTBXMenuAnimation animation(makRandom, c.Capabilities);
    EXPECT_EQ(animation.PickStyle(), c.HighestStyle);
    EXPECT_EQ(random.Ranges, std::vector<int>{c.Range});
  }
}

TEST_F(MenuAnimation, SystemKindIsFixedWhenMade) {
  settings.Animation = false;
  TTBXMenuAnimation frozen(makSystem, 63);
  settings.Animation = true;
  EXPECT_EQ(frozen.AnimationKind(), makNone);
  EXPECT_EQ(frozen.PickStyle(), masNone);
}

class MenuAnimationAtStartUp : public tbx_test::ThemeLayerTest {};

TEST_F(MenuAnimationAtStartUp, FollowsTheSystemsSettings) {
  ASSERT_NE(MenuAnimationInstance, nullptr);
  EXPECT_EQ(MenuAnimationInstance->AnimationKind(), makNone);  // the fake system does not animate
  FinalizeThemeLayer();
  settings.Animation = true;
  InitializeThemeLayer();
  const bool allowsKind1 = (TTBXMenuAnimation::SystemCapabilities() & 2) != 0;
  EXPECT_EQ(MenuAnimationInstance->AnimationKind(), allowsKind1 ? makSystem : makNone);
  EXPECT_EQ(MenuAnimationInstance->GetCapabilities(), TTBXMenuAnimation::SystemCapabilities());
}

}  // namespace
