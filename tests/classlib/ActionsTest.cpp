// Actions that nothing updates follow whether they have an execute handler, unless told not to.
#include "classlib/ActnList.h"

#include <gtest/gtest.h>

namespace {

struct THandlers : TObject {
  void Execute(TObject*) {}
  void Update(TObject*) { ++updates; }
  int updates = 0;
};

TEST(Actions, WithoutAnUpdateHandlerAnActionIsEnabledWhileItHasAnExecuteHandler) {
  struct Case {
    bool disableIfNoHandler, hasExecute, hasUpdate;
    bool enabledAfter;
  };
  const Case cases[] = {
      {true, false, false, false},  {true, true, false, true},  {false, false, false, true},
      {true, false, true, true},  // the update handler decides, and it leaves the action as it is
  };
  for (const Case& c : cases) {
    THandlers handlers;
    TAction action(nullptr);
    action.SetDisableIfNoHandler(c.disableIfNoHandler);
    if (c.hasExecute) action.SetOnExecute(TNotifyEvent(&handlers, &THandlers::Execute));
    if (c.hasUpdate) action.OnUpdate = TNotifyEvent(&handlers, &THandlers::Update);
    EXPECT_EQ(action.Update(), c.hasUpdate);
    EXPECT_EQ(action.Enabled(), c.enabledAfter)
        << c.disableIfNoHandler << c.hasExecute << c.hasUpdate;
    EXPECT_EQ(handlers.updates, c.hasUpdate ? 1 : 0);
  }
}

}  // namespace
