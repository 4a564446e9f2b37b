#pragma once
// The update check: a worker thread asks the product's site which version is current; the
// user-interface thread tells the user what it found.
#include "classlib/Seams.h"
#include "classlib/Threads.h"

#include <atomic>
#include <memory>
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
  // terminated.
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

  // Each wait of the request (connecting, sending, each wait for data) ends after this long.
  static constexpr DWORD RequestTimeout = 10000;
  // A longer reply is no version.
  static constexpr size_t MaxReplyBytes = 256;
  // Checkers made and not yet freed, in the whole process.
  static int LiveCount() { return live_; }

 protected:
  void Execute() override;

 private:
  void Judge(const seams::THttpReply& reply);
  String site_;
  static inline std::atomic<int> live_{0};
};

// Shows what a finished check found: the up-to-date message, or the question whose Yes opens
// the download page with the link tag.
void ReportUpdateCheck(const TUpdateChecker& Checker, const String& Referrer);

// The checks a window has started and not yet been handed back: each checker comes back by a
// message posted to the window with the checker in lParam, and is taken off the list there.
// Those still running when the list goes are terminated and joined.
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
  // Terminates every running check, then waits for each and frees it. A blocked request cannot
  // be cut short, so this takes up to the request's timeout.
  void EndAll();
  size_t Count() const { return checkers_.size(); }

 private:
  UINT message_;
  std::atomic<HWND> window_{nullptr};
  std::vector<TUpdateChecker*> checkers_;  // user-interface thread only
};
