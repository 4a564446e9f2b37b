// Accessibility: binding the system's functions, the list of live objects with its lock and
// counters, the unit's start-up step, and the views' and viewers' side of the objects.
#include "items/TB2Acc.h"

#include "classlib/Forms.h"
#include "classlib/Seams.h"
#include "items/TB2AccSupport.h"
#include "items/TB2View.h"

#include <atomic>
#include <utility>
#include <vector>

volatile LONG ViewAccObjectInstances = 0;
volatile LONG ItemViewerAccObjectInstances = 0;

namespace {

// --- binding ---------------------------------------------------------------------------------

using TNotifyWinEventProc = void(WINAPI*)(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID);
using TLresultFromObjectProc = LRESULT(WINAPI*)(REFIID Riid, WPARAM WParam, LPUNKNOWN Object);
using TAccessibleObjectFromWindowProc = HRESULT(WINAPI*)(HWND Wnd, DWORD ObjectID, REFIID Riid, void** Object);

// Each entry point is stored before its flag is set: two threads binding at once bind twice.
std::atomic<TNotifyWinEventProc> NotifyWinEventProc{nullptr};
std::atomic<bool> NotifyWinEventTried{false};
std::atomic<TLresultFromObjectProc> LresultFromObjectFunc{nullptr};
std::atomic<TAccessibleObjectFromWindowProc> AccessibleObjectFromWindowFunc{nullptr};
std::atomic<bool> OleAccTried{false};
std::atomic<bool> OleAccAvailable{false};

TNotifyWinEventProc BoundNotifyWinEvent() {
  if (!NotifyWinEventTried.load()) {
    // Looked up in the user32 already loaded, never loaded.
    NotifyWinEventProc.store(BindProc<TNotifyWinEventProc>(GetModuleHandleW(L"user32.dll"), "NotifyWinEvent"));
    NotifyWinEventTried.exchange(true);
  }
  return NotifyWinEventProc.load();
}

TAccessibilitySystem& System() { return seams::Get<TAccessibilitySystem>(); }

// --- the live objects --------------------------------------------------------------------------

// Guards LastAccObject and the links; made by the unit's step. Objects that outlive the step
// (held by a client past the end) unlink without it: no other thread runs then.
CRITICAL_SECTION AccObjectListLock;
bool AccObjectListLockReady = false;
TTBCustomAccObject* LastAccObject = nullptr;

class TListLock {
 public:
  TListLock() : held_(AccObjectListLockReady) {
    if (held_) EnterCriticalSection(&AccObjectListLock);
  }
  ~TListLock() {
    if (held_) LeaveCriticalSection(&AccObjectListLock);
  }
  TListLock(const TListLock&) = delete;
  TListLock& operator=(const TListLock&) = delete;

 private:
  bool held_;
};

// --- COM for the user-interface thread ---------------------------------------------------------

bool ComInitialized = false;
bool InitProcAdded = false;

// Runs on the user-interface thread, from the application's initialisation or from the step.
void InitializeComForObjects() {
  if (!AccObjectListLockReady || ComInitialized) return;
  ComInitialized = SUCCEEDED(CoInitialize(nullptr));
}

}  // namespace

// --- binding -----------------------------------------------------------------------------------

HMODULE TAccessibilitySystem::LoadOleAcc() { return LoadSystemLibrary(L"oleacc.dll"); }

int TAccessibilitySystem::KeyNameText(LONG KeyData, wchar_t* Buffer, int Size) {
  return GetKeyNameTextW(KeyData, Buffer, Size);
}

HRESULT TAccessibilitySystem::DisconnectObject(IUnknown* Object) { return CoDisconnectObject(Object, 0); }

void CallNotifyWinEvent(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID) {
  if (TNotifyWinEventProc proc = BoundNotifyWinEvent()) proc(Event, Wnd, ObjectID, ChildID);
}

bool InitializeOleAcc() {
  if (!OleAccTried.load()) {
    HMODULE library = System().LoadOleAcc();
    auto lresult = BindProc<TLresultFromObjectProc>(library, "LresultFromObject");
    auto fromWindow = BindProc<TAccessibleObjectFromWindowProc>(library, "AccessibleObjectFromWindow");
    LresultFromObjectFunc.store(lresult);
    AccessibleObjectFromWindowFunc.store(fromWindow);
    OleAccAvailable.store(lresult && fromWindow);
    OleAccTried.exchange(true);
  }
  return OleAccAvailable.load();
}

LRESULT CallLresultFromObject(REFIID Riid, WPARAM WParam, IUnknown* Object) {
  TLresultFromObjectProc proc = InitializeOleAcc() ? LresultFromObjectFunc.load() : nullptr;
  return proc ? proc(Riid, WParam, Object) : 0;
}

namespace tb2acc_detail {
void ForgetOleAcc() {
  OleAccTried.store(false);
  OleAccAvailable.store(false);
}
}  // namespace tb2acc_detail

namespace tb2acc {

bool ObjectsAvailable() { return AccObjectListLockReady && InitializeOleAcc(); }

bool WindowAccObject(HWND Wnd, IDispatch*& Object) {
  Object = nullptr;
  TAccessibleObjectFromWindowProc proc = AccessibleObjectFromWindowFunc.load();
  if (!proc || !Wnd) return false;
  IDispatch* found = nullptr;
  if (proc(Wnd, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch, reinterpret_cast<void**>(&found)) != S_OK) {
    // A failure that still handed something over: it is not ours to keep.
    if (found) found->Release();
    return false;
  }
  Object = found;
  return found != nullptr;
}

String GetAltKeyName() {
  const UINT scanCode = MapVirtualKeyW(VK_MENU, 0);
  if (scanCode != 0) {
    wchar_t name[256] = {};
    const int length = System().KeyNameText(static_cast<LONG>(scanCode << 16), name, 256);
    if (length > 0) return String(name, static_cast<size_t>(Min(length, 255)));
  }
  return L"Alt";
}

}  // namespace tb2acc

// --- the unit's step ---------------------------------------------------------------------------

void InitTB2Acc() {
  if (AccObjectListLockReady) return;
  InitializeCriticalSection(&AccObjectListLock);
  AccObjectListLockReady = true;
  if (Application && Application->Initialized()) {
    InitializeComForObjects();
  } else if (!InitProcAdded) {
    TApplication::AddInitProc(&InitializeComForObjects);
    InitProcAdded = true;
  }
}

void FinalizeTB2Acc() {
  if (!AccObjectListLockReady) return;
  // Outside clients lose their connections; the objects are freed by their last release. Each
  // is held across its disconnection, which may drop every other reference to it, and the list
  // is read before any of them: an object freed meanwhile leaves nothing behind to read.
  std::vector<TTBCustomAccObject*> live;
  for (TTBCustomAccObject* object = LastAccObject; object; object = object->FPrevObject) {
    object->AddRef();
    live.push_back(object);
  }
  for (TTBCustomAccObject* object : live) {
    System().DisconnectObject(static_cast<IUnknown*>(object));
    object->Release();
  }
  if (std::exchange(ComInitialized, false)) CoUninitialize();
  AccObjectListLockReady = false;
  DeleteCriticalSection(&AccObjectListLock);
}

// --- the base object ---------------------------------------------------------------------------

HRESULT TTBBaseAccObject::QueryInterface(REFIID Riid, void** Object) {
  if (!Object) return E_POINTER;
  if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IDispatch) || IsEqualIID(Riid, IID_IAccessible)) {
    *Object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

ULONG TTBBaseAccObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

ULONG TTBBaseAccObject::Release() {
  const LONG count = InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

HRESULT TTBBaseAccObject::GetTypeInfoCount(UINT* Count) {
  if (Count) *Count = 0;
  return E_NOTIMPL;
}

HRESULT TTBBaseAccObject::GetTypeInfo(UINT, LCID, ITypeInfo** Info) {
  if (Info) *Info = nullptr;
  return E_NOTIMPL;
}

HRESULT TTBBaseAccObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TTBBaseAccObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}

TTBCustomAccObject::TTBCustomAccObject() {
  TListLock lock;
  FPrevObject = LastAccObject;
  if (LastAccObject) LastAccObject->FNextObject = this;
  LastAccObject = this;
}

TTBCustomAccObject::~TTBCustomAccObject() {
  TListLock lock;
  if (FPrevObject) FPrevObject->FNextObject = FNextObject;
  if (FNextObject) FNextObject->FPrevObject = FPrevObject;
  if (LastAccObject == this) LastAccObject = FPrevObject;
}

TTBViewAccObject::TTBViewAccObject(TTBView* AOwner) : FOwnerView(AOwner) {
  InterlockedIncrement(&ViewAccObjectInstances);
}

TTBViewAccObject::~TTBViewAccObject() {
  InterlockedDecrement(&ViewAccObjectInstances);
  if (TTBView* owner = std::exchange(FOwnerView, nullptr)) owner->accObject_ = nullptr;
}

TTBItemViewerAccObject::TTBItemViewerAccObject(TTBItemViewer* AOwner) : FOwnerViewer(AOwner) {
  InterlockedIncrement(&ItemViewerAccObjectInstances);
}

TTBItemViewerAccObject::~TTBItemViewerAccObject() {
  InterlockedDecrement(&ItemViewerAccObjectInstances);
  if (TTBItemViewer* owner = std::exchange(FOwnerViewer, nullptr)) owner->accObject_ = nullptr;
}

// --- the views' and viewers' side ---------------------------------------------------------------

IDispatch* TTBView::GetAccObject() {
  if (!accObject_) {
    if (!tb2acc::ObjectsAvailable()) return nullptr;
    // The view's own reference: its object lives at least as long as the view.
    accObject_ = new TTBViewAccObject(this);
    accObject_->AddRef();
  }
  accObject_->AddRef();
  return accObject_;
}

bool TTBView::HandleWMGetObject(TMessage& Message) {
  // The object id is a 32-bit value: a 64-bit lParam carries OBJID_CLIENT as 0xFFFFFFFC.
  if (static_cast<LONG>(Message.LParam) != OBJID_CLIENT || !InitializeOleAcc()) return false;
  IDispatch* object = GetAccObject();
  if (!object) return false;
  Message.Result = CallLresultFromObject(IID_IAccessible, Message.WParam, object);
  object->Release();
  return true;
}

void TTBView::DropAccObject() {
  if (TTBBaseAccObject* object = std::exchange(accObject_, nullptr)) {
    object->ClientIsDestroying();
    object->Release();
  }
}

IDispatch* TTBItemViewer::GetAccObject() {
  if (!accObject_) {
    if (!tb2acc::ObjectsAvailable()) return nullptr;
    // Not held by the viewer: the object lives while clients hold it.
    accObject_ = new TTBItemViewerAccObject(this);
  }
  accObject_->AddRef();
  return accObject_;
}

void TTBItemViewer::AccSelect(bool Execute) {
  IDispatch* object = GetAccObject();
  if (!object) return;
  // Our own kind of object (GetAccObject makes no other); the reference keeps it through a
  // toolbar loop that may free this viewer.
  static_cast<TTBItemViewerAccObject*>(static_cast<TTBBaseAccObject*>(object))->HandleAccSelect(Execute);
  object->Release();
}

void TTBItemViewer::DropAccObject() {
  if (TTBBaseAccObject* object = std::exchange(accObject_, nullptr)) object->ClientIsDestroying();
}
