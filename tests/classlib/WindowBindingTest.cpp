#include "classlib/WindowBinding.h"

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

#include "common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using TMessages = std::vector<UINT>;

// A windowed control or form that records the messages it sees.
template <class Base>
class TRecording : public Base {
 public:
  TRecording(TComponent* owner, TMessages& seen) : Base(owner), seen_(seen) {}
  void WndProc(TMessage& m) override {
    seen_.push_back(m.Msg);
    Base::WndProc(m);
  }

 private:
  TMessages& seen_;
};

// Each maker makes one kind of window and answers what its object saw until the handle was
// there. A control lies on a form, or is a top-level window of its own.
template <class Control, bool OnForm>
TMessages ControlCreation() {
  TMessages seen;
  auto* owner = new TForm(Application);
  auto* control = new TRecording<Control>(owner, seen);
  if (OnForm) control->SetParent(owner);
  control->SetBounds(5, 5, 80, 24);
  HWND wnd = control->Handle();
  TMessages result = seen;
  EXPECT_EQ(control, TWinControl::FindControl(wnd));
  owner->Free();
  return result;
}

TMessages UtilityWindowCreation() {
  struct TSpy : TObject {
    void WndProc(TMessage& m) {
      Seen.push_back(m.Msg);
      // Until AllocateHWnd returns, Wnd is no window yet.
      m.Result = DefWindowProcW(Wnd, m.Msg, m.WParam, m.LParam);
    }
    HWND Wnd = nullptr;
    TMessages Seen;
  } spy;
  spy.Wnd = AllocateHWnd(TWndMethod(&spy, &TSpy::WndProc));
  TMessages result = spy.Seen;
  EXPECT_TRUE(IsWindow(spy.Wnd));
  DeallocateHWnd(spy.Wnd);
  return result;
}

TEST(WindowBinding, TheObjectSeesTheMessagesSentWhileItsWindowIsMade) {
  struct Case {
    const char* Name;
    TMessages (*Make)();
  };
  const Case cases[] = {
      {"custom control", ControlCreation<TCustomControl, true>},
      {"edit (a system class)", ControlCreation<TEdit, true>},
      {"form", ControlCreation<TForm, false>},
      {"utility window", UtilityWindowCreation},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const TMessages seen = c.Make();
    // Bound at WM_NCCREATE: the first message the object gets, and the rest follow in order.
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(static_cast<UINT>(WM_NCCREATE), seen.front());
    auto at = [&](UINT msg) { return std::find(seen.begin(), seen.end(), msg) - seen.begin(); };
    EXPECT_LT(at(WM_NCCREATE), at(WM_NCCALCSIZE));
    EXPECT_LT(at(WM_NCCALCSIZE), at(WM_CREATE));
    EXPECT_LT(at(WM_CREATE), static_cast<ptrdiff_t>(seen.size()));
  }
}

const wchar_t kSpyClass[] = L"QuillnoteBindingSpy";

void RegisterSpyClass() {
  WNDCLASSEXW wc{};
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kSpyClass;
  RegisterBoundWindowClass(wc, DefWindowProcW);
}

// An object bound through the helper itself, noting what reaches it.
class TSpyTarget : public TWindowTarget {
 public:
  void WindowBound(HWND wnd) noexcept override {
    ++Binds;
    Wnd = wnd;
  }
  void WindowMessage(TMessage& m) override {
    Seen.push_back(m.Msg);
    m.Result = m.Msg == WM_NCCREATE && RefuseCreation ? FALSE : DefWindowProcW(Wnd, m.Msg, m.WParam, m.LParam);
  }
  void WindowUnbound(HWND wnd) noexcept override {
    ++Unbinds;
    if (!wnd) return;
    // The window still exists here: it answers lookups and takes messages, without this object.
    LookupWhenUnbound = BoundWindowTarget(wnd);
    SendMessageW(wnd, WM_APP, 0, 0);
  }

  bool RefuseCreation = false;
  HWND Wnd = nullptr;
  int Binds = 0, Unbinds = 0;
  TMessages Seen;
  TWindowTarget* LookupWhenUnbound = this;
};

TEST(WindowBinding, AfterWmNcDestroyTheWindowNoLongerReachesItsObject) {
  RegisterSpyClass();
  TSpyTarget spy;
  HWND wnd = CreateBoundWindow(spy, 0, kSpyClass, L"", WS_POPUP, 0, 0, 20, 20, nullptr);
  ASSERT_NE(nullptr, wnd);
  EXPECT_EQ(&spy, BoundWindowTarget(wnd));
  DestroyWindow(wnd);
  EXPECT_EQ(1, spy.Unbinds);
  EXPECT_EQ(nullptr, spy.LookupWhenUnbound);
  // WM_NCDESTROY was the last message it saw: the WM_APP sent after it went elsewhere.
  EXPECT_EQ(static_cast<UINT>(WM_NCDESTROY), spy.Seen.back());
  EXPECT_EQ(nullptr, BoundWindowTarget(wnd));
}

TEST(WindowBinding, AWindowNotMadeUnbindsItsObjectOnce) {
  RegisterSpyClass();
  struct Case {
    const char* Name;
    const wchar_t* ClassName;
    bool Refuse;
    int Binds;
  };
  const Case cases[] = {
      {"refused at WM_NCCREATE", kSpyClass, true, 1},
      {"no such class", L"QuillnoteNoSuchClass", false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TSpyTarget spy;
    spy.RefuseCreation = c.Refuse;
    EXPECT_EQ(nullptr, CreateBoundWindow(spy, 0, c.ClassName, L"", WS_POPUP, 0, 0, 20, 20, nullptr));
    EXPECT_EQ(c.Binds, spy.Binds);
    EXPECT_EQ(1, spy.Unbinds);
  }
}

// Made before any window, so destroyed after everything made later, as a static finaliser of a
// library would be: its destructor destroys the window it is given.
struct TDestroyedAtTheEnd {
  HWND Wnd = nullptr;
  ~TDestroyedAtTheEnd() {
    if (Wnd) DestroyWindow(Wnd);
  }
} DestroyedAtTheEnd;

struct TTellsItsEnd : TObject {
  void WndProc(TMessage& m) {
    if (m.Msg == WM_NCDESTROY) fputs("the object heard its window's end\n", stderr);
    m.Result = DefWindowProcW(Wnd, m.Msg, m.WParam, m.LParam);
  }
  HWND Wnd = nullptr;
};

// The bindings are never destroyed: a window destroyed while the process ends, after every
// later static object is gone, still reaches its object.
TEST(WindowBindingDeathTest, AWindowDestroyedAsTheProcessEndsStillReachesItsObject) {
  EXPECT_EXIT(
      {
        TTellsItsEnd& target = ProcessWide<TTellsItsEnd>();
        target.Wnd = DestroyedAtTheEnd.Wnd = AllocateHWnd(TWndMethod(&target, &TTellsItsEnd::WndProc));
        std::exit(0);
      },
      testing::ExitedWithCode(0), "the object heard its window's end");
}

}  // namespace
