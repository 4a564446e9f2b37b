// The item tests run the accessibility unit's start-up step as the program does: COM for this
// thread and the lock of the live objects. The application is initialised already, so COM comes
// up at once.
#include "items/TB2Acc.h"

#include <gtest/gtest.h>

namespace {

class TItemTestEnvironment : public testing::Environment {
 public:
  void SetUp() override { InitTB2Acc(); }
  void TearDown() override { FinalizeTB2Acc(); }
};

[[maybe_unused]] testing::Environment* const Registered = testing::AddGlobalTestEnvironment(new TItemTestEnvironment);

}  // namespace
