#pragma once
// Worker threads: an object whose Execute runs on a thread of its own.
#include "classlib/SysUtils.h"
#include "classlib/Types.h"

#include <atomic>
#include <exception>
#include <utility>

// A descendant overrides Execute, which should return soon after Terminated() turns true.
// The thread is always created suspended by the constructor: Execute must not run before the
// descendant's constructor has finished. A thread made with CreateSuspended = false starts in
// AfterConstruction, which TThread::Create<T> calls; otherwise Start starts it.
// An exception escaping Execute ends the thread and is kept in FatalException; it never
// reaches the system's thread frame.
// Freeing a started thread (Free, or delete) terminates it and waits for its end; prefer Free
// over delete, since it waits before the descendant's members are destroyed.
class TThread : public TObject {
 public:
  explicit TThread(bool CreateSuspended);
  ~TThread() override;

  // Constructs a thread and starts it unless it was made suspended.
  template <class T, class... A>
  static T* Create(A&&... args) {
    T* thread = new T(std::forward<A>(args)...);
    thread->AfterConstruction();
    return thread;
  }
  void AfterConstruction();

  // Starts a suspended thread; raises EThread when it already runs or has run.
  void Start();
  void Resume() { Start(); }
  // Asks Execute to end (it polls Terminated).
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Blocks until the thread ends and returns its exit code (ReturnValue). It dispatches
  // nothing meanwhile, so a worker must not SendMessage to the thread that waits for it.
  DWORD WaitFor();
  // Terminates, waits for the end of a started thread, and deletes the object. A started
  // thread that frees itself raises EThread instead.
  void Free();

  bool FreeOnTerminate() const { return freeOnTerminate_; }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return threadId_; }
  bool Suspended() const { return !started_; }
  bool Finished() const { return finished_; }
  DWORD ReturnValue() const { return returnValue_; }
  // What escaped Execute, or null.
  std::exception_ptr FatalException() const { return fatal_; }

 protected:
  virtual void Execute() = 0;
  void SetReturnValue(DWORD value) { returnValue_ = value; }

 private:
  static unsigned __stdcall ThreadProc(void* parameter);
  void EndAndWait();

  HANDLE handle_ = nullptr;
  DWORD threadId_ = 0;
  bool createSuspended_ = true;
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> skipExecute_{false};
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<DWORD> returnValue_{0};
  std::exception_ptr fatal_;
};
