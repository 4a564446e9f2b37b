// The main() of every test executable: the application object exists, and the seams that
// could block or reach the host are replaced before any test runs.
#include "common/TestSupport.h"

#include "classlib/Forms.h"

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  seams::Scoped<seams::TMessageBoxes> boxes(testing_support::MessageBoxes());
  seams::Scoped<seams::TShell> shell(testing_support::Shell());
  InitializeClassLibrary();
  Application->Initialize();
  Application->SetTitle(L"Quillnote tests");
  int result = RUN_ALL_TESTS();
  FinalizeClassLibrary();
  return result;
}
