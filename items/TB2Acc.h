#pragma once
// Accessibility: every view (a popup menu, a menu bar, a toolbar) and every item viewer answers
// the system's accessibility interface through an object made when a client first asks, and menu
// events are announced to assistive tools as WinEvents. The accessibility library (oleacc) is
// bound at run time; without it menus work unchanged and answer no accessibility requests.
#include "classlib/Types.h"

#include <oleacc.h>

class TTBView;
class TTBItemViewer;

// --- binding ---------------------------------------------------------------------------------

// NotifyWinEvent when the system has it; nothing otherwise.
void CallNotifyWinEvent(DWORD Event, HWND Wnd, LONG ObjectID, LONG ChildID);
// Binds LresultFromObject and AccessibleObjectFromWindow of oleacc on the first call; whether
// both were found. Objects are made only while this holds and the unit's step has run.
bool InitializeOleAcc();
// LresultFromObject of the bound library (0 when it is not bound).
LRESULT CallLresultFromObject(REFIID Riid, WPARAM WParam, IUnknown* Object);

// The unit's start-up step: the lock of the live-object list, and COM for the user-interface
// thread, initialised through the application's initialisation (or at once when the application
// was initialised already). Its finalisation disconnects the live objects from their clients,
// then uninitialises COM when its initialisation succeeded.
void InitTB2Acc();
void FinalizeTB2Acc();

// Live objects of each kind, for inspection.
extern volatile LONG ViewAccObjectInstances;
extern volatile LONG ItemViewerAccObjectInstances;

// What the accessibility objects ask of the system; tests replace it (seams::Scoped).
class TAccessibilitySystem {
 public:
  virtual ~TAccessibilitySystem() = default;
  // oleacc from the system folder, or null.
  virtual HMODULE LoadOleAcc();
  // GetKeyNameTextW.
  virtual int KeyNameText(LONG KeyData, wchar_t* Buffer, int Size);
  // CoDisconnectObject.
  virtual HRESULT DisconnectObject(IUnknown* Object);
};

// --- the objects ---------------------------------------------------------------------------

// A reference-counted accessible object: IUnknown, IDispatch and IAccessible are one interface,
// its COM identity. IDispatch's own operations are not implemented. The owner (a view or an item
// viewer) tells the object when it is destroyed; the object then answers without it.
class TTBBaseAccObject : public IAccessible {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT Index, LCID Locale, ITypeInfo** Info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID Riid, LPOLESTR* Names, UINT Count, LCID Locale,
                                          DISPID* IDs) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID Member, REFIID Riid, LCID Locale, WORD Flags, DISPPARAMS* Params,
                                   VARIANT* Result, EXCEPINFO* ExcepInfo, UINT* ArgErr) override;

  virtual void ClientIsDestroying() = 0;

 protected:
  TTBBaseAccObject() = default;
  virtual ~TTBBaseAccObject() = default;

 private:
  volatile LONG refCount_ = 0;
};

// An accessible object on the process's list of live objects, which the finalisation walks. Views
// and viewers have no description, help or selection and take no names or values from clients.
class TTBCustomAccObject : public TTBBaseAccObject {
 public:
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT ChildID, BSTR* Description) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT ChildID, BSTR* Help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* HelpFile, VARIANT ChildID, LONG* Topic) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* Selection) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT ChildID, BSTR Name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT ChildID, BSTR Value) override;

 protected:
  TTBCustomAccObject();
  ~TTBCustomAccObject() override;

 private:
  friend void FinalizeTB2Acc();
  TTBCustomAccObject* FPrevObject = nullptr;
  TTBCustomAccObject* FNextObject = nullptr;
};

// The object of a view: its children are the view's accessible viewers, numbered from 1.
class TTBViewAccObject : public TTBCustomAccObject {
 public:
  explicit TTBViewAccObject(TTBView* AOwner);
  ~TTBViewAccObject() override;
  void ClientIsDestroying() override { FOwnerView = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* Count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT ChildID, IDispatch** Child) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT ChildID, BSTR* Name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT ChildID, BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT ChildID, VARIANT* Role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT ChildID, VARIANT* State) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT ChildID, BSTR* Shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Focus) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT ChildID, BSTR* Action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG Flags, VARIANT ChildID) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* Left, LONG* Top, LONG* Width, LONG* Height, VARIANT ChildID) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG NavDir, VARIANT Start, VARIANT* End) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG X, LONG Y, VARIANT* ChildID) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT ChildID) override;

 private:
  HRESULT Check(const VARIANT& ChildID) const;
  TTBView* FOwnerView;
};

// The object of an item viewer: it describes the viewer alone; its one child is the submenu's
// view while the viewer's submenu is open.
class TTBItemViewerAccObject : public TTBCustomAccObject {
 public:
  explicit TTBItemViewerAccObject(TTBItemViewer* AOwner);
  ~TTBItemViewerAccObject() override;
  void ClientIsDestroying() override { FOwnerViewer = nullptr; }

  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** Parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* Count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT ChildID, IDispatch** Child) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT ChildID, BSTR* Name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT ChildID, BSTR* Value) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT ChildID, VARIANT* Role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT ChildID, VARIANT* State) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT ChildID, BSTR* Shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* Focus) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT ChildID, BSTR* Action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG Flags, VARIANT ChildID) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* Left, LONG* Top, LONG* Width, LONG* Height, VARIANT ChildID) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG NavDir, VARIANT Start, VARIANT* End) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG X, LONG Y, VARIANT* ChildID) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT ChildID) override;

  bool IsAvailable() const;
  bool IsFocusable() const;
  bool IsActionable() const;
  // A selection a client asked for, run once the queued request arrives.
  void HandleAccSelect(bool Execute);

 private:
  HRESULT Check(const VARIANT& ChildID) const;
  bool IsOpen() const;
  LONG State() const;
  // Makes the owner its view's selection; false when that freed the owner.
  bool SelectOwner();
  TTBItemViewer* FOwnerViewer;
};

// --- helpers the views share --------------------------------------------------------------

// The accessible viewers of a view (shown, off its edge or clipped), numbered from 1 in the
// view's order: how many there are, the one with a number (null when none), and the number of
// one (0 when it is not accessible).
int AccessibleViewerCount(TTBView* View);
TTBItemViewer* AccessibleViewer(TTBView* View, int Number);
int AccessibleViewerNumber(TTBView* View, TTBItemViewer* Viewer);

namespace tb2acc_detail {
// Forgets the binding of oleacc, so that the next request binds it again (through the seam
// installed then).
void ForgetOleAcc();
}  // namespace tb2acc_detail
