#include "common/GdiCensus.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <vector>

namespace gdi_census {
namespace {

enum class TKind { GdiObject, WindowDC, Icon, ImageList };

struct TRecord {
  const char* Maker;
  unsigned long long Serial;
  DWORD ObjectType;  // a GDI object's type when it was made
  int Lent;          // a window DC: lent this many times and not released
};

const char* KindName(TKind Kind, DWORD ObjectType) {
  switch (Kind) {
    case TKind::WindowDC: return "window DC";
    case TKind::Icon: return "icon";
    case TKind::ImageList: return "image list";
    case TKind::GdiObject: break;
  }
  switch (ObjectType) {
    case OBJ_PEN:
    case OBJ_EXTPEN: return "pen";
    case OBJ_BRUSH: return "brush";
    case OBJ_FONT: return "font";
    case OBJ_BITMAP: return "bitmap";
    case OBJ_REGION: return "region";
    case OBJ_PAL: return "palette";
    case OBJ_DC: return "DC";
    case OBJ_MEMDC: return "memory DC";
    case OBJ_ENHMETADC: return "metafile DC";
    case OBJ_ENHMETAFILE: return "metafile";
    default: return "GDI object";
  }
}

bool IsStockObject(const void* Handle) {
  for (int i = WHITE_BRUSH; i <= DC_PEN; ++i)
    if (GetStockObject(i) == Handle) return true;
  return false;
}

// What the counted calls made and did not give back yet. The hooks may run on any thread and
// until the program's very end, so the census is made once and never destroyed.
class TCensus {
 public:
  void Made(TKind Kind, const void* Handle, const char* Maker) {
    if (!Handle) return;
    const DWORD type = Kind == TKind::GdiObject ? GetObjectType(const_cast<void*>(Handle)) : 0;
    // A hollow brush is the stock one (Wine answers it for BS_NULL); it is nobody's to free.
    if (Kind == TKind::GdiObject && (type == 0 || IsStockObject(Handle))) return;
    std::lock_guard<std::mutex> lock(lock_);
    TRecord& record = records_[{Kind, Handle}];
    if (Kind == TKind::WindowDC && record.Lent > 0) {
      ++record.Lent;  // the window's own DC, lent again
      return;
    }
    record = {Maker, ++serial_, type, 1};
  }
  void Freed(TKind Kind, const void* Handle) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = records_.find({Kind, Handle});
    if (it == records_.end()) return;
    if (--it->second.Lent <= 0) records_.erase(it);
  }
  // A delete that the system accepted: the object is gone, unless it is still selected into a
  // DC, where Windows would have refused it and the object stays for good.
  void Deleted(const void* Handle) {
    std::lock_guard<std::mutex> lock(lock_);
    auto it = records_.find({TKind::GdiObject, Handle});
    if (it == records_.end()) return;
    if (GetObjectType(const_cast<void*>(Handle)) == it->second.ObjectType) keptBySelection_.push_back(it->second);
    records_.erase(it);
  }
  unsigned long long Serial() {
    std::lock_guard<std::mutex> lock(lock_);
    return serial_;
  }
  // The objects counted now that were made after Since, one line each; Count gets their number.
  std::string Describe(unsigned long long Since, long& Count) {
    std::lock_guard<std::mutex> lock(lock_);
    ForgetWhatTheSystemFreed();
    std::vector<std::pair<unsigned long long, std::string>> lines;
    for (const auto& [key, record] : records_)
      if (record.Serial > Since) lines.push_back({record.Serial, Line(KindName(key.first, record.ObjectType), key.second, record)});
    for (const TRecord& record : keptBySelection_)
      if (record.Serial > Since)
        lines.push_back({record.Serial, Line(KindName(TKind::GdiObject, record.ObjectType), nullptr, record) +
                                            ", deleted while still selected into a DC"});
    std::sort(lines.begin(), lines.end());
    std::string text;
    for (const auto& line : lines) text += line.second + "\n";
    Count = static_cast<long>(lines.size());
    return text;
  }

 private:
  using TKey = std::pair<TKind, const void*>;
  // A GDI object that no longer exists as what it was was freed by the system (a window's
  // region goes with the window).
  void ForgetWhatTheSystemFreed() {
    for (auto it = records_.begin(); it != records_.end();) {
      const bool gone = it->first.first == TKind::GdiObject &&
                        GetObjectType(const_cast<void*>(it->first.second)) != it->second.ObjectType;
      it = gone ? records_.erase(it) : std::next(it);
    }
  }
  static std::string Line(const char* Kind, const void* Handle, const TRecord& Record) {
    std::ostringstream s;
    s << "  " << Kind;
    if (Handle) s << ' ' << Handle;
    s << " (number " << Record.Serial << ") made by " << Record.Maker;
    return s.str();
  }

  std::mutex lock_;
  std::map<TKey, TRecord> records_;
  std::vector<TRecord> keptBySelection_;
  unsigned long long serial_ = 0;
};

TCensus& Census() {
  static TCensus& census = *new TCensus;
  return census;
}

bool installed = false;

// --- what each counted function does --------------------------------------------------------
// Each is told the function's name, its result and its arguments after the system's function
// has returned.

template <TKind Kind>
struct TMakes {
  template <class R, class... A>
  static void After(const char* Name, R Result, A...) {
    Census().Made(Kind, Result, Name);
  }
};
using TMakesObject = TMakes<TKind::GdiObject>;
using TLendsDC = TMakes<TKind::WindowDC>;
using TMakesIcon = TMakes<TKind::Icon>;
using TMakesImageList = TMakes<TKind::ImageList>;

// The freeing functions take the handle first (ReleaseDC second) and answer non-zero on success.
template <TKind Kind>
struct TFrees {
  template <class R, class H, class... A>
  static void After(const char*, R Ok, H Handle, A...) {
    if (Ok) Census().Freed(Kind, Handle);
  }
};
using TDestroysIcon = TFrees<TKind::Icon>;
using TDestroysImageList = TFrees<TKind::ImageList>;

struct TDeletesObject {
  template <class H>
  static void After(const char*, BOOL Ok, H Handle) {
    if (Ok) Census().Deleted(Handle);
  }
};

struct TReleasesDC {
  static void After(const char*, int Ok, HWND, HDC DC) {
    if (Ok) Census().Freed(TKind::WindowDC, DC);
  }
};

// A window takes the region it is given; the system frees it. Forgotten at once: the handle's
// number may come back later for a region of the system's own.
struct TGivesRegionToWindow {
  static void After(const char*, int Ok, HWND, HRGN Region, BOOL) {
    if (Ok) Census().Freed(TKind::GdiObject, Region);
  }
};

// LoadImage and CopyImage make a bitmap, or an icon or cursor that is the caller's to destroy
// unless it is shared.
void MadeImage(const char* Name, HANDLE Result, UINT Type, UINT Flags) {
  if (Type == IMAGE_BITMAP)
    Census().Made(TKind::GdiObject, Result, Name);
  else if (!(Flags & LR_SHARED))
    Census().Made(TKind::Icon, Result, Name);
}

struct TLoadsImage {
  static void After(const char* Name, HANDLE Result, HINSTANCE, LPCWSTR, UINT Type, int, int, UINT Flags) {
    MadeImage(Name, Result, Type, Flags);
  }
};

struct TCopiesImage {
  static void After(const char* Name, HANDLE Result, HANDLE Original, UINT Type, int, int, UINT Flags) {
    if (!Result || Result == Original) return;
    if (Flags & LR_COPYDELETEORG) Census().Freed(Type == IMAGE_BITMAP ? TKind::GdiObject : TKind::Icon, Original);
    MadeImage(Name, Result, Type, Flags);
  }
};

// GetIconInfo makes two bitmaps that the caller deletes.
struct TReadsIconInfo {
  static void After(const char* Name, BOOL Ok, HICON, PICONINFO Info) {
    if (!Ok || !Info) return;
    Census().Made(TKind::GdiObject, Info->hbmMask, Name);
    Census().Made(TKind::GdiObject, Info->hbmColor, Name);
  }
};

// --- the import table -----------------------------------------------------------------------

struct THookEntry {
  const char* Dll;
  const char* Function;
  void* Hook;
  void (*SetReal)(void* Address);
};

template <size_t N>
struct TName {
  char Text[N];
  constexpr TName(const char (&S)[N]) { std::copy_n(S, N, Text); }
};

// One counted function: Call stands in the import table for the system's function Real.
template <TName Name, class Action, class F>
struct THook;

template <TName Name, class Action, class R, class... A>
struct THook<Name, Action, R(WINAPI*)(A...)> {
  using TFunction = R(WINAPI*)(A...);
  static inline TFunction Real = nullptr;
  static R WINAPI Call(A... Args) {
    const R result = Real(Args...);
    const DWORD error = GetLastError();
    Action::After(Name.Text, result, Args...);
    SetLastError(error);
    return result;
  }
  static void SetReal(void* Address) { Real = reinterpret_cast<TFunction>(Address); }
};

template <TName Name, class Action, class F>
THookEntry Hook(const char* Dll) {
  using THere = THook<Name, Action, F>;
  return {Dll, Name.Text, reinterpret_cast<void*>(&THere::Call), &THere::SetReal};
}

constexpr char kGdi32[] = "gdi32.dll";
constexpr char kUser32[] = "user32.dll";
constexpr char kComctl32[] = "comctl32.dll";

std::vector<THookEntry> CountedFunctions() {
  return {
      Hook<"CreateBitmap", TMakesObject, decltype(&::CreateBitmap)>(kGdi32),
      Hook<"CreateBitmapIndirect", TMakesObject, decltype(&::CreateBitmapIndirect)>(kGdi32),
      Hook<"CreateCompatibleBitmap", TMakesObject, decltype(&::CreateCompatibleBitmap)>(kGdi32),
      Hook<"CreateDIBitmap", TMakesObject, decltype(&::CreateDIBitmap)>(kGdi32),
      Hook<"CreateDIBSection", TMakesObject, decltype(&::CreateDIBSection)>(kGdi32),
      Hook<"CreateDiscardableBitmap", TMakesObject, decltype(&::CreateDiscardableBitmap)>(kGdi32),
      Hook<"CreateBrushIndirect", TMakesObject, decltype(&::CreateBrushIndirect)>(kGdi32),
      Hook<"CreateSolidBrush", TMakesObject, decltype(&::CreateSolidBrush)>(kGdi32),
      Hook<"CreatePatternBrush", TMakesObject, decltype(&::CreatePatternBrush)>(kGdi32),
      Hook<"CreateHatchBrush", TMakesObject, decltype(&::CreateHatchBrush)>(kGdi32),
      Hook<"CreateDIBPatternBrushPt", TMakesObject, decltype(&::CreateDIBPatternBrushPt)>(kGdi32),
      Hook<"CreatePen", TMakesObject, decltype(&::CreatePen)>(kGdi32),
      Hook<"CreatePenIndirect", TMakesObject, decltype(&::CreatePenIndirect)>(kGdi32),
      Hook<"ExtCreatePen", TMakesObject, decltype(&::ExtCreatePen)>(kGdi32),
      Hook<"CreateFontW", TMakesObject, decltype(&::CreateFontW)>(kGdi32),
      Hook<"CreateFontA", TMakesObject, decltype(&::CreateFontA)>(kGdi32),
      Hook<"CreateFontIndirectW", TMakesObject, decltype(&::CreateFontIndirectW)>(kGdi32),
      Hook<"CreateFontIndirectA", TMakesObject, decltype(&::CreateFontIndirectA)>(kGdi32),
      Hook<"CreateFontIndirectExW", TMakesObject, decltype(&::CreateFontIndirectExW)>(kGdi32),
      Hook<"CreateRectRgn", TMakesObject, decltype(&::CreateRectRgn)>(kGdi32),
      Hook<"CreateRectRgnIndirect", TMakesObject, decltype(&::CreateRectRgnIndirect)>(kGdi32),
      Hook<"CreateRoundRectRgn", TMakesObject, decltype(&::CreateRoundRectRgn)>(kGdi32),
      Hook<"CreateEllipticRgn", TMakesObject, decltype(&::CreateEllipticRgn)>(kGdi32),
      Hook<"CreateEllipticRgnIndirect", TMakesObject, decltype(&::CreateEllipticRgnIndirect)>(kGdi32),
      Hook<"CreatePolygonRgn", TMakesObject, decltype(&::CreatePolygonRgn)>(kGdi32),
      Hook<"CreatePolyPolygonRgn", TMakesObject, decltype(&::CreatePolyPolygonRgn)>(kGdi32),
      Hook<"ExtCreateRegion", TMakesObject, decltype(&::ExtCreateRegion)>(kGdi32),
      Hook<"PathToRegion", TMakesObject, decltype(&::PathToRegion)>(kGdi32),
      Hook<"CreateCompatibleDC", TMakesObject, decltype(&::CreateCompatibleDC)>(kGdi32),
      Hook<"CreateDCW", TMakesObject, decltype(&::CreateDCW)>(kGdi32),
      Hook<"CreateDCA", TMakesObject, decltype(&::CreateDCA)>(kGdi32),
      Hook<"CreateICW", TMakesObject, decltype(&::CreateICW)>(kGdi32),
      Hook<"CreateICA", TMakesObject, decltype(&::CreateICA)>(kGdi32),
      Hook<"CreatePalette", TMakesObject, decltype(&::CreatePalette)>(kGdi32),
      Hook<"CreateHalftonePalette", TMakesObject, decltype(&::CreateHalftonePalette)>(kGdi32),
      Hook<"CreateEnhMetaFileW", TMakesObject, decltype(&::CreateEnhMetaFileW)>(kGdi32),
      Hook<"CloseEnhMetaFile", TMakesObject, decltype(&::CloseEnhMetaFile)>(kGdi32),
      Hook<"CopyEnhMetaFileW", TMakesObject, decltype(&::CopyEnhMetaFileW)>(kGdi32),
      Hook<"SetEnhMetaFileBits", TMakesObject, decltype(&::SetEnhMetaFileBits)>(kGdi32),
      Hook<"DeleteObject", TDeletesObject, decltype(&::DeleteObject)>(kGdi32),
      Hook<"DeleteDC", TDeletesObject, decltype(&::DeleteDC)>(kGdi32),
      Hook<"DeleteEnhMetaFile", TDeletesObject, decltype(&::DeleteEnhMetaFile)>(kGdi32),
      Hook<"LoadBitmapW", TMakesObject, decltype(&::LoadBitmapW)>(kUser32),
      Hook<"LoadImageW", TLoadsImage, decltype(&::LoadImageW)>(kUser32),
      Hook<"CopyImage", TCopiesImage, decltype(&::CopyImage)>(kUser32),
      Hook<"GetIconInfo", TReadsIconInfo, decltype(&::GetIconInfo)>(kUser32),
      Hook<"SetWindowRgn", TGivesRegionToWindow, decltype(&::SetWindowRgn)>(kUser32),
      Hook<"GetDC", TLendsDC, decltype(&::GetDC)>(kUser32),
      Hook<"GetDCEx", TLendsDC, decltype(&::GetDCEx)>(kUser32),
      Hook<"GetWindowDC", TLendsDC, decltype(&::GetWindowDC)>(kUser32),
      Hook<"ReleaseDC", TReleasesDC, decltype(&::ReleaseDC)>(kUser32),
      Hook<"CreateIconIndirect", TMakesIcon, decltype(&::CreateIconIndirect)>(kUser32),
      Hook<"CreateIcon", TMakesIcon, decltype(&::CreateIcon)>(kUser32),
      Hook<"CopyIcon", TMakesIcon, decltype(&::CopyIcon)>(kUser32),
      Hook<"CreateIconFromResourceEx", TMakesIcon, decltype(&::CreateIconFromResourceEx)>(kUser32),
      Hook<"DestroyIcon", TDestroysIcon, decltype(&::DestroyIcon)>(kUser32),
      Hook<"DestroyCursor", TDestroysIcon, decltype(&::DestroyCursor)>(kUser32),
      Hook<"ImageList_Create", TMakesImageList, decltype(&::ImageList_Create)>(kComctl32),
      Hook<"ImageList_Duplicate", TMakesImageList, decltype(&::ImageList_Duplicate)>(kComctl32),
      Hook<"ImageList_Merge", TMakesImageList, decltype(&::ImageList_Merge)>(kComctl32),
      Hook<"ImageList_LoadImageW", TMakesImageList, decltype(&::ImageList_LoadImageW)>(kComctl32),
      Hook<"ImageList_GetIcon", TMakesIcon, decltype(&::ImageList_GetIcon)>(kComctl32),
      Hook<"ImageList_Destroy", TDestroysImageList, decltype(&::ImageList_Destroy)>(kComctl32),
  };
}

const THookEntry* FindHook(const std::vector<THookEntry>& Hooks, const char* Dll, const char* Function) {
  for (const THookEntry& hook : Hooks)
    if (_stricmp(hook.Dll, Dll) == 0 && std::strcmp(hook.Function, Function) == 0) return &hook;
  return nullptr;
}

void PatchSlot(IMAGE_THUNK_DATA& Slot, const THookEntry& Hook) {
  Hook.SetReal(reinterpret_cast<void*>(Slot.u1.Function));
  DWORD protection = 0;
  VirtualProtect(&Slot.u1.Function, sizeof(Slot.u1.Function), PAGE_READWRITE, &protection);
  Slot.u1.Function = reinterpret_cast<ULONG_PTR>(Hook.Hook);
  VirtualProtect(&Slot.u1.Function, sizeof(Slot.u1.Function), protection, &protection);
}

// Puts the hooks into every import-table entry of this program that names one of them.
int PatchImportTable(const std::vector<THookEntry>& Hooks) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return 0;
  int patched = 0;
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
    // Without the names beside the addresses there is nothing to match.
    if (!d->OriginalFirstThunk) continue;
    const char* dll = reinterpret_cast<const char*>(base + d->Name);
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (const THookEntry* hook = FindHook(Hooks, dll, reinterpret_cast<const char*>(byName->Name))) {
        PatchSlot(*slots, *hook);
        ++patched;
      }
    }
  }
  return patched;
}

}  // namespace

void Install() {
  if (installed) return;
  installed = PatchImportTable(CountedFunctions()) > 0;
}

bool Installed() { return installed; }

long Live() {
  long count = 0;
  Census().Describe(0, count);
  return count;
}

TMark::TMark() : serial_(Census().Serial()), live_(Live()) {}

long TMark::Added() const { return Live() - live_; }

std::string TMark::Describe() const {
  long count = 0;
  return Census().Describe(serial_, count);
}

testing::AssertionResult TMark::NothingLeft() const {
  const long added = Added();
  if (added == 0) return testing::AssertionSuccess();
  return testing::AssertionFailure() << added << " GDI object(s) more than at the mark; made since and still there:\n"
                                     << Describe();
}

}  // namespace gdi_census
