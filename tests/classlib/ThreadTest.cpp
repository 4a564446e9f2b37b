#include "classlib/Threads.h"

#include <gtest/gtest.h>

#include <atomic>

namespace {

// What a test thread saw and did, kept outside the thread object so that it outlives it.
struct TTrace {
  std::atomic<int> executed{0};
  std::atomic<bool> sawTerminated{false};
  std::atomic<bool> destroyed{false};
  HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ~TTrace() { CloseHandle(entered); }
};

class TTestThread : public TThread {
 public:
  enum class TJob { Return, Raise, RaiseForeign, RunUntilTerminated };
  TTestThread(bool suspended, TTrace& trace, TJob job, DWORD code = 0)
      : TThread(suspended), trace_(trace), job_(job), code_(code) {}
  ~TTestThread() override { trace_.destroyed = true; }

 protected:
  void Execute() override {
    ++trace_.executed;
    SetEvent(trace_.entered);
    switch (job_) {
      case TJob::Return: SetReturnValue(code_); break;
      case TJob::Raise: throw EConvertError(L"not a number");
      case TJob::RaiseForeign: throw 42;
      case TJob::RunUntilTerminated:
        while (!Terminated()) Sleep(1);
        trace_.sawTerminated = true;
        break;
    }
  }

 private:
  TTrace& trace_;
  TJob job_;
  DWORD code_;
};

using TJob = TTestThread::TJob;

// A suspended thread's suspend count is 1: SuspendThread reports the count it found.
bool IsSuspendedBySystem(HANDLE thread) {
  DWORD previous = SuspendThread(thread);
  ResumeThread(thread);
  return previous == 1;
}

}  // namespace

TEST(Thread, CreatedSuspendedRunsOnlyAfterStart) {
  TTrace trace;
  auto* thread = new TTestThread(true, trace, TJob::Return, 7);
  EXPECT_TRUE(thread->Suspended());
  EXPECT_TRUE(IsSuspendedBySystem(thread->Handle()));
  EXPECT_EQ(0, trace.executed);
  EXPECT_NE(0u, thread->ThreadID());
  thread->Start();
  EXPECT_FALSE(thread->Suspended());
  EXPECT_EQ(7u, thread->WaitFor());
  EXPECT_TRUE(thread->Finished());
  EXPECT_EQ(1, trace.executed);
  EXPECT_EQ(nullptr, thread->FatalException());
  thread->Free();
  EXPECT_TRUE(trace.destroyed);
}

TEST(Thread, WaitForReturnsTheExitCode) {
  for (DWORD code : {0u, 1u, 0xC0DEu}) {
    TTrace trace;
    auto* thread = TThread::Create<TTestThread>(false, trace, TJob::Return, code);
    EXPECT_EQ(code, thread->WaitFor());
    EXPECT_EQ(code, thread->ReturnValue());
    thread->Free();
  }
}

TEST(Thread, StartingTwiceRaises) {
  TTrace trace;
  auto* thread = new TTestThread(true, trace, TJob::Return);
  thread->Start();
  EXPECT_THROW(thread->Start(), EThread);
  thread->WaitFor();
  thread->Free();
}

TEST(Thread, WaitingForANeverStartedThreadRaises) {
  TTrace trace;
  auto* thread = new TTestThread(true, trace, TJob::Return);
  EXPECT_THROW(thread->WaitFor(), EThread);
  thread->Free();
  EXPECT_EQ(0, trace.executed);  // freeing it did not run Execute
}

TEST(Thread, ExceptionEscapingExecuteIsKept) {
  TTrace trace;
  auto* thread = TThread::Create<TTestThread>(false, trace, TJob::Raise);
  thread->WaitFor();
  ASSERT_NE(nullptr, thread->FatalException());
  try {
    std::rethrow_exception(thread->FatalException());
  } catch (const EConvertError& e) {
    EXPECT_EQ(L"not a number", e.Message());
  }
  thread->Free();

  TTrace foreign;
  thread = TThread::Create<TTestThread>(false, foreign, TJob::RaiseForeign);
  thread->WaitFor();
  EXPECT_NE(nullptr, thread->FatalException());
  thread->Free();
}

TEST(Thread, FreeingARunningThreadTerminatesAndWaits) {
  TTrace trace;
  auto* thread = TThread::Create<TTestThread>(false, trace, TJob::RunUntilTerminated);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(trace.entered, 5000));
  EXPECT_FALSE(thread->Finished());
  thread->Free();
  EXPECT_TRUE(trace.sawTerminated);
  EXPECT_TRUE(trace.destroyed);
}

TEST(Thread, FreeOnTerminateFreesItselfAndCannotBeWaitedForOrFreed) {
  TTrace trace;
  auto* thread = new TTestThread(true, trace, TJob::RunUntilTerminated);
  thread->SetFreeOnTerminate(true);
  EXPECT_THROW(thread->WaitFor(), EThread);
  HANDLE handle = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), thread->Handle(), GetCurrentProcess(), &handle,
                              SYNCHRONIZE, FALSE, 0));
  thread->Start();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(trace.entered, 5000));
  EXPECT_THROW(thread->Free(), EThread);  // it runs until told to end: still there
  thread->Terminate();
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(handle, 5000));
  CloseHandle(handle);
  EXPECT_TRUE(trace.destroyed);
  EXPECT_EQ(1, trace.executed);
}
