// The registry of themes, the holder of the active theme and the queries every themed viewer
// makes: item state flags, view kinds, images painted without a viewer.
#include "tbx/TBXThemes.h"

#include "classlib/Seams.h"
#include "classlib/SysUtils.h"
#include "items/TB2Common.h"
#include "items/TB2View.h"

#include <memory>
#include <utility>

TTBXTheme* ActiveTheme = nullptr;
TTBXNexus* NexusInstance = nullptr;

namespace {

constexpr wchar_t kUnit[] = L"TBXThemes";
constexpr int kAcquireAssertionLine = 688;
constexpr size_t kMaxThemeNameLength = 255;

std::vector<ThemeEntry> Entries;

ThemeEntry& EntryOf(TTBXTheme* Theme) {
  for (ThemeEntry& entry : Entries)
    if (Theme && entry.Instance == Theme) return entry;
  throw Exception(L"Cannot release theme");
}

// A new instance of the entry's class, told once whether the application is active. Nothing
// changes in the registry until it is made.
std::unique_ptr<TTBXTheme> MakeInstance(const ThemeEntry& Entry) {
  std::unique_ptr<TTBXTheme> theme(Entry.ThemeClass(Entry.Name));
  TMessage message{WM_TBX_SYSTEM_CHANGED, ApplicationIsActive() ? 1u : 0u, 0, 0};
  theme->Dispatch(message);
  return theme;
}

}  // namespace

// --- the registry ----------------------------------------------------------------------------

void RegisterThemeClass(const String& Name, TTBXThemeClass ThemeClass) {
  if (Name.empty() || !ThemeClass) throw Exception(L"Cannot register theme");
  if (IsThemeRegistered(Name)) throw Exception(Format(L"Theme %s is already registered", {Name}));
  ThemeEntry entry;
  entry.Name = Name.substr(0, kMaxThemeNameLength);
  entry.ThemeClass = ThemeClass;
  Entries.push_back(std::move(entry));
}

bool IsThemeRegistered(const String& Name) { return FindThemeEntry(Name) >= 0; }

int FindThemeEntry(const String& Name) {
  for (size_t i = 0; i < Entries.size(); ++i)
    if (CompareText(Entries[i].Name, Name) == 0) return static_cast<int>(i);
  return -1;
}

TTBXTheme* AcquireTheme(const String& Name) {
  const int index = FindThemeEntry(Name);
  if (index < 0) throw Exception(L"Unknown theme " + Name);
  if (Entries[static_cast<size_t>(index)].RefCount == 0) {
    if (Entries[static_cast<size_t>(index)].Instance) AssertionFailed(kUnit, kAcquireAssertionLine);
    std::unique_ptr<TTBXTheme> theme = MakeInstance(Entries[static_cast<size_t>(index)]);
    // The entries may have grown while the theme was made.
    Entries[static_cast<size_t>(index)].Instance = theme.release();
  }
  ThemeEntry& entry = Entries[static_cast<size_t>(index)];
  ++entry.RefCount;
  return entry.Instance;
}

void ReleaseThemeInstance(TTBXTheme*& Theme) {
  ThemeEntry& entry = EntryOf(Theme);
  if (entry.RefCount <= 0) throw Exception(L"Cannot release theme " + entry.Name);
  if (--entry.RefCount > 0) return;
  std::unique_ptr<TTBXTheme> instance(entry.Instance);
  entry.Instance = nullptr;
  Theme = nullptr;
}

namespace tbx {
const std::vector<ThemeEntry>& ThemeEntries() { return Entries; }
}  // namespace tbx

namespace {

// A theme still referenced at the end is freed with its entry.
void ClearThemeRegistry() {
  std::vector<ThemeEntry> entries = std::move(Entries);
  Entries.clear();
  for (ThemeEntry& entry : entries) delete entry.Instance;
}

}  // namespace

// --- the holder of the active theme ----------------------------------------------------------

TTBXNexus::TTBXNexus(const String& Name) {
  ActiveTheme = AcquireTheme(Name);
  AddThemeChangeListener(this);
}

TTBXNexus::~TTBXNexus() {
  RemoveThemeChangeListener(this);
  if (ActiveTheme) ReleaseThemeInstance(ActiveTheme);
  // Someone else may still hold the theme, but it is no longer the active one.
  ActiveTheme = nullptr;
}

void TTBXNexus::SwitchTheme(const String& Name) {
  const int index = FindThemeEntry(Name);
  if (index < 0) return;
  ThemeEntry& entry = Entries[static_cast<size_t>(index)];
  if (ActiveTheme && entry.Instance == ActiveTheme && entry.RefCount == 1) {
    // Only the holder uses it: it is made anew (its colours rebuilt). The new one is made while
    // the old one still serves, so that a failure leaves the old one active.
    std::unique_ptr<TTBXTheme> renewed = MakeInstance(entry);
    std::unique_ptr<TTBXTheme> old(ActiveTheme);
    Entries[static_cast<size_t>(index)].Instance = renewed.get();
    ActiveTheme = renewed.release();
  } else {
    // Acquired before the old one is let go: a theme that fails to come up leaves the old one.
    TTBXTheme* acquired = AcquireTheme(Name);
    TTBXTheme* previous = ActiveTheme;
    ActiveTheme = acquired;
    if (previous) ReleaseThemeInstance(previous);
  }
  for (WPARAM phase = 1; phase <= 3; ++phase) Broadcast(WM_TBX_THEME_CHANGED, phase, 1);
}

void TTBXNexus::Broadcast(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  switchers_.Broadcast(message);
}

void TTBXNexus::Attach(TObject* Switcher) {
  if (Switcher && !switchers_.Contains(Switcher)) switchers_.Add(Switcher);
}

void TTBXNexus::Detach(TObject* Switcher) { switchers_.Remove(Switcher); }

void TTBXNexus::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_TBX_SYSTEM_CHANGED) return Broadcast(WM_TBX_THEME_CHANGED, Message.WParam, 0);
  TObject::Dispatch(Message);
}

void NexusSelectTheme(const String& Name) {
  if (NexusInstance) NexusInstance->SwitchTheme(Name);
}

String NexusThemeName() { return ActiveTheme ? ActiveTheme->Name() : String(); }

void AttachSwitcher(TObject* Switcher) {
  if (NexusInstance) NexusInstance->Attach(Switcher);
}

void DetachSwitcher(TObject* Switcher) {
  if (NexusInstance) NexusInstance->Detach(Switcher);
}

// --- queries ---------------------------------------------------------------------------------

int ItemInfoStateFlags(const TTBXItemInfo& ItemInfo) {
  int flags = 0;
  if (!ItemInfo.ItemEnabled) flags |= isfDisabled;
  if (ItemInfo.Hover == 2) flags |= isfHot;
  if (ItemInfo.ItemPushed) flags |= isfPushed;
  if (ItemInfo.ItemChecked) flags |= isfChecked;
  return flags;
}

namespace {

int AskViewKind(TObject* Target) {
  TMessage message{WM_TBX_QUERY_VIEW_KIND, 0, 0, 0};
  Target->Dispatch(message);
  return static_cast<int>(message.Result);
}

}  // namespace

int QueryViewKind(TTBView* View) {
  if (!View || !View->Owner()) return vkNone;
  // A view's owner is the window that shows it.
  return AskViewKind(View->Owner());
}

int QueryPopupViewKind(TTBPopupWindow* Window) {
  if (!Window) return vkNone;
  return AskViewKind(static_cast<TObject*>(Window));
}

void PaintImageWithState(TCanvas& Canvas, const RECT& R, TCustomImageList* ImageList, int ImageIndex, int Flags) {
  TTBXItemInfo info{};
  switch (Flags & 0xF00) {
    case piskToolbar:
      info.ViewKind = vkToolbar;
      info.Flags = iifToolbarStyle;
      break;
    case piskDockPanel: info.ViewKind = vkDockPanel; break;
    case piskStatusBar: info.ViewKind = vkStatusBar; break;
    default: break;
  }
  info.ItemEnabled = (Flags & isfDisabled) == 0;
  info.ItemPushed = (Flags & isfPushed) != 0;
  info.Hover = (Flags & isfHot) != 0 ? 2 : 0;
  info.ItemChecked = (Flags & isfChecked) != 0;
  ActiveTheme->PaintImage(Canvas, R, info, ImageList, ImageIndex);
}

// --- the unit's lifetime ---------------------------------------------------------------------

void InitTBXThemes() {
  HotLightColor = seams::SystemSettings().SysColorBrush(COLOR_HOTLIGHT) ? static_cast<TColor>(0x80000000u | COLOR_HOTLIGHT)
                                                                        : clHighlight;
  ClearThemeRegistry();
  ThemeManagerInstance = new TTBXThemeManager();
}

void FinalizeTBXThemes() {
  delete std::exchange(ThemeManagerInstance, nullptr);
  ClearThemeRegistry();
}
