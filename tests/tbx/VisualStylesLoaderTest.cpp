#include "tbx/TBXUxThemes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

class VisualStylesLoader : public testing::Test {
 protected:
  void TearDown() override { UnloadVisualStylesApi(); }
};

bool SameSlots(const TVisualStylesApi& A, const TVisualStylesApi& B) {
  return std::memcmp(&A, &B, sizeof(TVisualStylesApi)) == 0;
}

// The full path of the module a function lives in.
std::wstring ModuleOf(const void* Function) {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     static_cast<LPCWSTR>(Function), &module);
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(module, path, MAX_PATH);
  return path;
}

TEST_F(VisualStylesLoader, LoadingBindsEveryExportOnceFromTheSystemFolder) {
  ASSERT_TRUE(LoadVisualStylesApi());
  // This system's uxtheme exports them all.
  EXPECT_EQ(tbx::BoundVisualStylesSlots(), tbx::VisualStylesSlotCount());
  EXPECT_EQ(tbx::VisualStylesSlotCount(), 46u);
  const TVisualStylesApi first = VisualStyles();
  EXPECT_TRUE(LoadVisualStylesApi());
  EXPECT_TRUE(SameSlots(VisualStyles(), first));

  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  const std::wstring module = ModuleOf(reinterpret_cast<const void*>(VisualStyles().OpenThemeData));
  EXPECT_EQ(_wcsnicmp(module.c_str(), system, wcslen(system)), 0) << std::string(module.begin(), module.end());
}

TEST_F(VisualStylesLoader, UnloadingClearsEverySlot) {
  ASSERT_TRUE(LoadVisualStylesApi());
  UnloadVisualStylesApi();
  EXPECT_EQ(tbx::BoundVisualStylesSlots(), 0u);
  EXPECT_TRUE(SameSlots(VisualStyles(), TVisualStylesApi()));
  EXPECT_FALSE(VisualStylesActive());
  UnloadVisualStylesApi();  // again: nothing to do
  EXPECT_TRUE(LoadVisualStylesApi());
  EXPECT_EQ(tbx::BoundVisualStylesSlots(), tbx::VisualStylesSlotCount());
}

BOOL AppThemed = FALSE, ThemeActive = FALSE;
BOOL WINAPI FakeIsAppThemed() { return AppThemed; }
BOOL WINAPI FakeIsThemeActive() { return ThemeActive; }

TEST_F(VisualStylesLoader, ActiveOnlyWhenLoadedThemedAndActive) {
  struct TCase {
    BOOL Themed, Active;
    bool Expected;
  } cases[] = {{TRUE, TRUE, true}, {FALSE, TRUE, false}, {TRUE, FALSE, false}, {FALSE, FALSE, false}};
  ASSERT_TRUE(LoadVisualStylesApi());
  VisualStyles().IsAppThemed = FakeIsAppThemed;
  VisualStyles().IsThemeActive = FakeIsThemeActive;
  for (const TCase& c : cases) {
    AppThemed = c.Themed;
    ThemeActive = c.Active;
    EXPECT_EQ(VisualStylesActive(), c.Expected) << c.Themed << c.Active;
  }
  UnloadVisualStylesApi();
  VisualStyles().IsAppThemed = FakeIsAppThemed;
  VisualStyles().IsThemeActive = FakeIsThemeActive;
  AppThemed = ThemeActive = TRUE;
  EXPECT_FALSE(VisualStylesActive());  // not loaded
  VisualStyles() = TVisualStylesApi();
}

}  // namespace
