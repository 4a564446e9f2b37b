// The application's tests run with the item framework's and the theme layer's process-wide
// objects in place, as the program does: started once before the first test, ended after the
// last form is gone.
#include "tbx/TBXStartup.h"

#include <gtest/gtest.h>

namespace {

class TThemeLayer : public testing::Environment {
 public:
  void SetUp() override { InitializeThemeLayer(); }
  void TearDown() override { FinalizeThemeLayer(); }
};

[[maybe_unused]] testing::Environment* const themeLayer = testing::AddGlobalTestEnvironment(new TThemeLayer);

}  // namespace
