#include "app/UpdateChecker.h"

#include "app/QuillnoteMain.h"
#include "app/WebLinks.h"
#include "classlib/ComApartment.h"
#include "classlib/ScopeGuard.h"

#include <algorithm>

namespace {

const std::vector<String> kRequestHeaders = {L"Accept: text/html, */*",
                                             L"User-Agent: Mozilla/3.0 (compatible; Indy Library)"};

String QuestionText(const TUpdateChecker& checker) {
  return L"Your version is:" + String(9, L' ') + checker.Version + L"\r\nCurrent version is:" + String(4, L' ') +
         checker.LatestVersion + L"\r\n\r\nA newer version is available.\r\nDo you want to download new version?";
}

}  // namespace

TUpdateChecker::TUpdateChecker(const String& site, const String& version, bool reportUpToDate)
    : TThread(true),
      Version(version),
      ReportUpToDate(reportUpToDate),
      site_(site),
      abort_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  if (!abort_) RaiseLastOSError();
  ++live_;
}

TUpdateChecker::~TUpdateChecker() { --live_; }

// The doubled slash and the unencoded version are what the site expects.
String TUpdateChecker::Url() const { return site_ + L"//version.php?version=" + Version; }

void TUpdateChecker::Execute() {
  // Failed or not, the checker goes back to its owner, which frees it.
  TScopeGuard handBack([this] { HandBack(); });
  TComApartment com;
  seams::THttpLimits limits;
  limits.Timeout = RequestTimeout;
  limits.MaxBody = MaxReplyBytes;
  limits.Abort = abort_.get();
  Judge(seams::Http().Get(Url(), kRequestHeaders, limits));
}

void TUpdateChecker::HandBack() {
  std::lock_guard<std::mutex> held(handBackLock_);
  if (!abandoned_ && !Terminated()) OnDone(this);
}

void TUpdateChecker::Abandon() {
  {
    std::lock_guard<std::mutex> held(handBackLock_);
    abandoned_ = true;
  }
  Terminate();
  SetEvent(abort_.get());
}

void TUpdateChecker::Judge(const seams::THttpReply& reply) {
  // Only a whole reply of status 200 with a body names a version.
  if (!reply.Ok || reply.Body.empty()) return;
  if (reply.Body == Version) {
    UpToDate = true;
    Found = ReportUpToDate;
    return;
  }
  // Versions are compared as they stand: any other text is offered, unless it is an error page.
  if (reply.Body.find(L"html") != String::npos) return;
  LatestVersion = reply.Body;
  Found = true;
}

void ReportUpdateCheck(const TUpdateChecker& Checker, const String& Referrer) {
  if (!Checker.Found) return;
  if (Checker.UpToDate) {
    seams::MessageBoxes().Show(nullptr,
                               L"You are already using the most recent version of Quillnote.\r\n"
                               L"Please check in future!",
                               app::kProductName, MB_OK);
    return;
  }
  if (seams::MessageBoxes().Show(nullptr, QuestionText(Checker), app::kProductName, MB_YESNO | MB_ICONQUESTION) ==
      IDYES)
    OpenUrl(TaggedLink(Addresses().ProductSite(), L"/download.html", Referrer));
}

void TUpdateChecks::Start(TCheckerPtr Checker, HWND Window) {
  window_ = Window;
  checkers_.push_back(Checker.get());
  try {
    Checker->Start();
  } catch (...) {
    checkers_.pop_back();
    throw;
  }
  Checker.release();
}

void TUpdateChecks::HandBack(TUpdateChecker* Checker) const {
  // Should the post fail, the checker stays on the list and is freed with it.
  PostMessageW(window_, message_, 0, reinterpret_cast<LPARAM>(Checker));
}

TUpdateChecks::TCheckerPtr TUpdateChecks::Take(LPARAM Carried) {
  auto at = std::find(checkers_.begin(), checkers_.end(), reinterpret_cast<TUpdateChecker*>(Carried));
  if (at == checkers_.end()) return nullptr;
  TCheckerPtr checker(*at);
  checkers_.erase(at);
  return checker;
}

void TUpdateChecks::AbandonAll() {
  for (TUpdateChecker* checker : checkers_) checker->Abandon();
}

void TUpdateChecks::EndAll() {
  AbandonAll();
  const ULONGLONG until = GetTickCount64() + EndWait;
  while (!checkers_.empty()) {
    TUpdateChecker* checker = checkers_.back();
    checkers_.pop_back();
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now >= until ? 0 : static_cast<DWORD>(until - now);
    // Freeing joins the thread: only one that has ended is freed.
    if (WaitForSingleObject(checker->Handle(), left) == WAIT_OBJECT_0) checker->Free();
  }
}
