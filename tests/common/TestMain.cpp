// The main() of every test executable: the seams that could block or reach the host are
// replaced before any test runs.
#include "common/TestSupport.h"

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  seams::Scoped<seams::TMessageBoxes> boxes(testing_support::MessageBoxes());
  seams::Scoped<seams::TShell> shell(testing_support::Shell());
  return RUN_ALL_TESTS();
}
