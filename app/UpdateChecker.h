#pragma once
// The update check: a worker thread asks the product's site which version is current; the
// user-interface thread tells the user what it found.
#include "classlib/Seams.h"
#include "classlib/Threads.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TUpdateChecker;
using TUpdateDoneEvent = TEvent<void(TUpdateChecker* Checker)>;

// Created suspended; Start runs one GET of Site + "//version.php?version=" + Version. It does not
// free itself: whoever started it frees it once OnDone has handed it back.
class TUpdateChecker : public TThread {
 public:
  TUpdateChecker(const String& site, const String& version, bool reportUpToDate);
  ~TUpdateChecker() override;

  // The reply equals the running version.
  bool UpToDate = false;
  // Called on the worker thread as the check ends, whatever came of it, unless the check was
  // terminated or abandoned.
  TUpdateDoneEvent OnDone;
  String Version;
  // The reply, when it differs from Version.
  String LatestVersion;
  // The equal version is told too.
  bool ReportUpToDate = false;
  // The user is to hear of this check. A failed request, a status other than 200, an empty or
  // overlong body, an error page and an unreported equal version have nothing to tell.
  bool Found = false;

  String Url() const;
  // Any thread: ends the request at once, and OnDone is not called from here on (not even by a
  // check that is just ending): whoever started the check waits for it no more.
  void Abandon();

  // The whole request ends this long after its start, whatever the site sends meanwhile.
  static constexpr DWORD RequestTimeout = 20000;
  // A longer reply is no version.
  static constexpr size_t MaxReplyBytes = 256;
  // Checkers made and not yet freed, in the whole process.
  static int LiveCount() { return live_; }

 protected:
  void Execute() override;

 private:
  void Judge(const seams::THttpReply& reply);
  void HandBack();
  struct TCloseHandle {
    void operator()(HANDLE h) const { CloseHandle(h); }
  };
  String site_;
  // Set by Abandon: the request's abort event.
  std::unique_ptr<void, TCloseHandle> abort_;
  // Guards the hand-back against an Abandon at the same moment.
  std::mutex handBackLock_;
  bool abandoned_ = false;
  static inline std::atomic<int> live_{0};
};

// Shows what a finished check found: the up-to-date message, or the question whose Yes opens
// the download page with the link tag.
void ReportUpdateCheck(const TUpdateChecker& Checker, const String& Referrer);

// The checks a window has started and not yet been handed back: each checker comes back by a
// message posted to the window with the checker in lParam, and is taken off the list there.
// Those still running when the list goes are abandoned, and never waited for without bound.
class TUpdateChecks {
 public:
  struct TFree {
    void operator()(TUpdateChecker* checker) const { checker->Free(); }
  };
  using TCheckerPtr = std::unique_ptr<TUpdateChecker, TFree>;

  explicit TUpdateChecks(UINT Message) : message_(Message) {}
  ~TUpdateChecks() { EndAll(); }
  TUpdateChecks(const TUpdateChecks&) = delete;
  TUpdateChecks& operator=(const TUpdateChecks&) = delete;

  // Takes the suspended checker into the list and starts it; it will come back to Window.
  void Start(TCheckerPtr Checker, HWND Window);
  // Worker thread: posts the checker back to the window.
  void HandBack(TUpdateChecker* Checker) const;
  // The checker a posted message carries, now the caller's; null when it is not on the list
  // (the pointer is only looked up, never followed).
  TCheckerPtr Take(LPARAM Carried);
  // Abandons every check not yet handed back: none of them is handed back any more.
  void AbandonAll();
  // Abandons every check, then frees each whose thread ends within EndWait (an abandoned request
  // ends at once). A thread held longer by the system (resolving the site's name, say) is left
  // to end with the process, and its checker with it.
  void EndAll();
  static constexpr DWORD EndWait = 1000;
  size_t Count() const { return checkers_.size(); }

 private:
  UINT message_;
  std::atomic<HWND> window_{nullptr};
  std::vector<TUpdateChecker*> checkers_;  // user-interface thread only
};
