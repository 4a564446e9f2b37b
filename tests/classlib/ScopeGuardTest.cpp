#include "classlib/ScopeGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(ScopeGuard, RestoresWhenTheScopeEndsUnlessDismissed) {
  struct Case {
    const char* Name;
    bool Raise;
    bool Dismiss;
    int Restores;
  };
  const Case cases[] = {
      {"normal exit", false, false, 1},
      {"exception", true, false, 1},
      {"dismissed", false, true, 0},
      {"dismissed, exception", true, true, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    int restores = 0;
    bool caught = false;
    try {
      TScopeGuard guard([&] { ++restores; });
      if (c.Dismiss) guard.Dismiss();
      if (c.Raise) throw std::runtime_error("failed");
      EXPECT_EQ(0, restores);
    } catch (const std::runtime_error&) {
      caught = true;
    }
    EXPECT_EQ(c.Raise, caught);
    EXPECT_EQ(c.Restores, restores);
  }
}

TEST(ScopeGuard, AMovedGuardRestoresOnceWhereItEnds) {
  int restores = 0;
  {
    TScopeGuard outer([&] { ++restores; });
    { TScopeGuard inner(std::move(outer)); }
    EXPECT_EQ(1, restores);
  }
  EXPECT_EQ(1, restores);
}

TEST(ScopeGuard, ARaisingRestoreReachesTheCallerUnlessAnExceptionIsOnItsWay) {
  auto thrown = [](bool bodyRaises) -> std::string {
    try {
      TScopeGuard guard([] { throw std::runtime_error("restore"); });
      if (bodyRaises) throw std::runtime_error("body");
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  };
  EXPECT_EQ("restore", thrown(false));
  EXPECT_EQ("body", thrown(true));
}

}  // namespace
