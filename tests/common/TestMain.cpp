// The main() of every test executable: the application object exists, the seams that could
// block or reach the host are replaced and the GDI census counts before any test runs.
#include "common/GdiCensus.h"
#include "common/TestSupport.h"

#include "classlib/Forms.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// A crash ends the run at once with the name of the test it happened in, instead of leaving
// the process to Wine's debugger.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
  fprintf(stderr, "\nCrash: exception 0x%08lx at %p in %s.%s\n",
          static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode), info->ExceptionRecord->ExceptionAddress,
          test ? test->test_suite_name() : "(no test)", test ? test->name() : "");
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Before anything is drawn: every GDI object of the run is counted.
  gdi_census::Install();
  testing::InitGoogleTest(&argc, argv);
  SetUnhandledExceptionFilter(ReportCrash);
  seams::Scoped<seams::TMessageBoxes> boxes(testing_support::MessageBoxes());
  seams::Scoped<seams::TShell> shell(testing_support::Shell());
  InitializeClassLibrary();
  Application->Initialize();
  Application->SetTitle(L"Quillnote tests");
  int result = RUN_ALL_TESTS();
  FinalizeClassLibrary();
  return result;
}
