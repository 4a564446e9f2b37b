#include "classlib/Threads.h"

#include <process.h>

TThread::TThread(bool CreateSuspended) : createSuspended_(CreateSuspended) {
  // The C runtime's own thread start, so that its per-thread state is set up for Execute.
  unsigned id = 0;
  uintptr_t h = _beginthreadex(nullptr, 0, &TThread::ThreadProc, this, CREATE_SUSPENDED, &id);
  if (h == 0) {
    DWORD code = GetLastError();
    throw EThread(L"Thread creation error: " + SysErrorMessage(code));
  }
  handle_ = reinterpret_cast<HANDLE>(h);
  threadId_ = id;
}

TThread::~TThread() {
  if (!handle_) return;
  if (GetCurrentThreadId() != threadId_) EndAndWait();
  CloseHandle(handle_);
}

void TThread::AfterConstruction() {
  if (!createSuspended_ && !started_) Start();
}

void TThread::Start() {
  if (started_) throw EThread(L"Cannot call Start on a running or finished thread");
  started_ = true;
  if (ResumeThread(handle_) == static_cast<DWORD>(-1)) {
    started_ = false;
    RaiseLastOSError();
  }
}

DWORD TThread::WaitFor() {
  if (freeOnTerminate_) throw EThread(L"Cannot wait for a thread that frees itself");
  if (GetCurrentThreadId() == threadId_) throw EThread(L"A thread cannot wait for itself");
  if (!started_) throw EThread(L"Cannot wait for a thread that was never started");
  if (WaitForSingleObject(handle_, INFINITE) == WAIT_FAILED) RaiseLastOSError();
  DWORD code = 0;
  if (!GetExitCodeThread(handle_, &code)) RaiseLastOSError();
  return code;
}

void TThread::Free() {
  if (freeOnTerminate_ && started_) throw EThread(L"Cannot free a thread that frees itself");
  EndAndWait();
  delete this;
}

void TThread::EndAndWait() {
  if (GetCurrentThreadId() == threadId_) return;
  Terminate();
  if (!started_) {
    // Never started: let the thread run out without calling Execute.
    skipExecute_ = true;
    started_ = true;
    ResumeThread(handle_);
  }
  WaitForSingleObject(handle_, INFINITE);
}

unsigned __stdcall TThread::ThreadProc(void* parameter) {
  auto* self = static_cast<TThread*>(parameter);
  if (!self->skipExecute_) {
    try {
      self->Execute();
    } catch (...) {
      self->fatal_ = std::current_exception();
    }
  }
  const unsigned result = self->returnValue_;
  const bool freeSelf = self->freeOnTerminate_ && !self->skipExecute_;
  self->finished_ = true;
  // From here on the creating thread may free the object, unless it frees itself.
  if (freeSelf) delete self;
  return result;
}
