#pragma once
// The item tree: one node of a menu or toolbar (caption, image, state, options, shortcut,
// children, change notification, linked sub-items, actions, click), the thin item kinds, the
// click queue that runs a chosen command after its menu has closed, and the done-action
// record a menu loop leaves behind. Views, viewers and popup windows are declared here only as
// far as the items name them.
#include "classlib/ActnList.h"
#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/ImgList.h"
#include "classlib/Menus.h"
#include "items/TB2Anim.h"
#include "items/TB2Common.h"

#include <oaidl.h>

#include <memory>
#include <vector>

class TTBCustomItem;
class TTBItemViewer;
class TTBView;
class TTBPopupWindow;
class TTBCustomItemActionLink;
class TTBImageChangeLink;
class TTBBaseAccObject;
class TTBItemViewerAccObject;

QN_DECLARE_EXCEPTION(ETBItemError, Exception)

// --- value types ----------------------------------------------------------------------------
// Sets are bit masks: member N of a set is bit N.

using TTBItemOptions = uint16_t;
enum : TTBItemOptions {
  tboDefault = 1u << 0,             // drawn bold: the default command
  tboDropdownArrow = 1u << 1,       // a drop-down arrow on a toolbar-style submenu item
  tboImageAboveCaption = 1u << 2,
  tboLongHintInMenuOnly = 1u << 3,
  tboNoAutoHint = 1u << 4,          // no hint made from the caption
  tboNoRotation = 1u << 5,          // caption not rotated on vertical toolbars
  tboSameWidth = 1u << 6,
  tboShowHint = 1u << 7,
  tboToolbarStyle = 1u << 8,        // drawn as a toolbar button even in a menu
  tboToolbarSize = 1u << 9,         // sized as a toolbar button
};

enum TTBItemDisplayMode : uint8_t { nbdmDefault, nbdmTextOnly, nbdmTextOnlyInMenus, nbdmImageAndText };

// The kind of an item; not published.
using TTBItemStyle = uint16_t;
enum : TTBItemStyle {
  tbisSubmenu = 1u << 0,            // has a popup
  tbisSelectable = 1u << 1,
  tbisSeparator = 1u << 2,
  tbisEmbeddedGroup = 1u << 3,      // children shown inline in the parent's view
  tbisClicksTransparent = 1u << 4,  // mouse clicks pass through to the view
  tbisCombo = 1u << 5,              // split button: the arrow part opens the popup
  tbisNoAutoOpen = 1u << 6,
  tbisSubitemsEditable = 1u << 7,
  tbisNoLineBreak = 1u << 8,
  tbisRightAlign = 1u << 9,
  tbisDontSelectFirst = 1u << 10,
  tbisRedrawOnSelChange = 1u << 11,
  tbisRedrawOnMouseOverChange = 1u << 12,
  tbisStretch = 1u << 13,
};

enum TTBPopupAlignment : uint8_t { tbpaLeft, tbpaRight, tbpaCenter };

// Where a popup goes: filled by CreatePopup, adjusted by GetPopupPosition (and by the overrides
// of themed items before and after it). Rectangles and corners in screen coordinates.
struct TTBPopupPositionRec {
  bool PositionAsSubmenu = false;  // beside its parent item, as a submenu
  TTBPopupAlignment Alignment = tbpaLeft;  // against the point, for a popup opened at a point
  bool Opposite = false;           // the parent popup opened to the left: this one should too
  RECT MonitorRect{};              // the work area to stay inside
  RECT ParentItemRect{};           // the parent item's viewer; the empty rectangle at the point
  POINT NCSize{};                  // the popup window's frame width and height
  int X = 0, Y = 0;                // proposed, then final, top-left corner
  int Width = 0, Height = 0;
  TTBAnimationDirections AnimDir = 0;  // the side the popup unfolds from (output)
  bool PlaySound = true;           // play the popup sound when showing
};

enum TTBItemChangedAction {
  tbicInserted,
  tbicDeleting,
  tbicSubitemsChanged,
  tbicSubitemsBeginUpdate,
  tbicSubitemsEndUpdate,
  tbicInvalidate,
  tbicInvalidateAndResize,
  tbicRecreateItemViewers,
  tbicNameChanged,
  tbicSubMenuImagesChanged,
};

using TTBItemChangedProc =
    TEvent<void(TTBCustomItem* Sender, bool Relayed, TTBItemChangedAction Action, int Index, TTBCustomItem* Item)>;
using TTBPopupEvent = TEvent<void(TTBCustomItem* Sender, bool FromLink)>;
using TTBSelectEvent = TEvent<void(TTBCustomItem* Sender, TTBItemViewer* Viewer, bool Selecting)>;

// The class-returning operations answer factories: a descendant chooses the class of the
// object its base creates by answering another factory.
using TTBItemViewerClass = TTBItemViewer* (*)(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel);
using TTBPopupWindowClass = TTBPopupWindow* (*)(TComponent* AOwner, TTBView* ParentView, TTBCustomItem* Item,
                                               bool Customizing);
using TTBCustomItemActionLinkClass = TTBCustomItemActionLink* (*)(TTBCustomItem* AClient);

// The class of the items a component makes for itself (an MRU list's entries).
using TTBCustomItemClass = TTBCustomItem* (*)(TComponent* AOwner);

template <class T>
TTBCustomItem* CreateItemOf(TComponent* AOwner) {
  return new T(AOwner);
}

template <class T>
TTBItemViewer* CreateItemViewerOf(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel) {
  return new T(AView, AItem, AGroupLevel);
}

// Components that hold a root item (popup menus, item containers, toolbars) offer it, so that
// items read from a form resource attach to it.
class ITBItems {
 public:
  virtual ~ITBItems() = default;
  virtual TTBCustomItem* GetItems() = 0;
};

// An image-list change link that remembers the list's size when last seen.
class TTBImageChangeLink : public TChangeLink {
 public:
  int LastWidth = 0;
  int LastHeight = 0;
};

// --- the done-action record -----------------------------------------------------------------

enum TTBDoneAction : uint8_t { tbdaNone, tbdaCancel, tbdaClickItem, tbdaOpenSystemMenu, tbdaHelpContext };

// The outcome of one run of a modal menu loop, carried out after the menu has closed. Each
// outcome has its own field: the chosen item is a whole pointer on every build.
struct TTBDoneActionData {
  TTBDoneAction DoneAction = tbdaNone;
  TTBCustomItem* ClickItem = nullptr;  // tbdaClickItem
  bool Sound = false;                  // tbdaClickItem: play the command sound
  HWND SystemMenuWnd = nullptr;        // tbdaOpenSystemMenu
  WPARAM SystemMenuKey = 0;            // tbdaOpenSystemMenu: the character that opens it
  int ContextID = 0;                   // tbdaHelpContext
};

// --- the item -------------------------------------------------------------------------------

class TTBCustomItem : public TComponent {
 public:
  explicit TTBCustomItem(TComponent* AOwner);
  ~TTBCustomItem() override;

  // Children.
  int Count() const { return static_cast<int>(items_.size()); }
  TTBCustomItem* GetItem(int Index) const;
  TTBCustomItem* Items(int Index) const { return GetItem(Index); }
  void Add(TTBCustomItem* AItem);
  void Insert(int NewIndex, TTBCustomItem* AItem);
  void Delete(int Index);  // detaches; does not free
  void Remove(TTBCustomItem* AItem);
  int IndexOf(TTBCustomItem* AItem) const;
  void Clear();  // frees every child
  void Move(int CurIndex, int NewIndex);
  // True when this item is AItem or one of AItem's ancestors.
  bool ContainsItem(TTBCustomItem* AItem) const;
  TTBCustomItem* Parent() const { return parent_; }

  // Change notification.
  void RegisterNotification(const TTBItemChangedProc& Notify);
  void UnregisterNotification(const TTBItemChangedProc& Notify);
  void Notify(TTBItemChangedAction Action, int Index, TTBCustomItem* Item);
  void ViewBeginUpdate();
  void ViewEndUpdate();
  virtual void Change(bool NeedResize);
  void RecreateItemViewers();
  void SubMenuImagesChanged();

  // Shortcuts.
  String GetShortCutText() const;
  TTBCustomItem* FindItemWithShortCut(TShortCut AShortCut, TTBCustomItem*& TopmostParent);
  // Runs the item whose shortcut matches the key, firing the popup events of every submenu on
  // the way as if the user had opened them; true when a command ran.
  bool IsShortCut(TWMKey& Message);

  // Operations a descendant may replace.
  virtual void DoPopup(TTBCustomItem* Sender, bool FromLink);
  virtual void EnabledChanged();
  virtual TTBView* GetChevronParentView();
  virtual TTBItemViewerClass GetItemViewerClass(TTBView* AView);
  virtual TTBPopupWindowClass GetPopupWindowClass();
  // Makes, places and shows this item's popup, opened from ParentView's ParentViewer or at a
  // point; the caller owns the window.
  virtual TTBPopupWindow* CreatePopup(TTBView* ParentView, TTBItemViewer* ParentViewer, bool PositionAsSubmenu,
                                      bool SelectFirstItem, bool Customizing, const POINT& APopupPoint,
                                      TTBPopupAlignment Alignment);
  // The placement rule: flips the popup above or to the left, keeps it inside the record's
  // monitor rectangle, keeps it off the parent item and chooses the animation direction.
  virtual void GetPopupPosition(TTBView* ParentView, TTBPopupWindow* PopupWindow, TTBPopupPositionRec& P);
  // Shows the children as a modal popup menu at a point and carries out what was chosen once
  // the menu has closed: the chosen item (clicked later unless only the item is wanted), or nil.
  TTBCustomItem* OpenPopup(bool SelectFirstItem, bool TrackRightButton, const POINT& PopupPoint,
                           TTBPopupAlignment Alignment, bool ReturnClickedItemOnly);
  TTBCustomItem* Popup(int X, int Y, bool TrackRightButton, TTBPopupAlignment Alignment = tbpaLeft,
                       bool ReturnClickedItemOnly = false);
  virtual bool NeedToRecreateViewer(TTBItemViewer* AViewer);
  virtual void Click();
  virtual void InitiateAction();

  // Queues this item's click: it runs from the message loop, after the menu has closed.
  void PostClick();
  // The window procedure of the thread's hidden click window.
  static void ClickWndProc(TMessage& Message);

  // Properties.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TTBCustomItemActionLink* ActionLink() const { return actionLink_.get(); }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value) { autoCheck_ = Value; }
  const String& Caption() const { return caption_; }
  void SetCaption(const String& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  TTBItemDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TTBItemDisplayMode Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int Value);
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int Value) { helpContext_ = Value; }
  const String& Hint() const { return hint_; }
  void SetHint(const String& Value) { hint_ = Value; }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int Value);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* Value);
  TCustomImageList* SubMenuImages() const { return subMenuImages_; }
  void SetSubMenuImages(TCustomImageList* Value);
  bool InheritOptions() const { return inheritOptions_; }
  void SetInheritOptions(bool Value);
  TTBItemOptions MaskOptions() const { return maskOptions_; }
  void SetMaskOptions(TTBItemOptions Value);
  TTBItemOptions Options() const { return options_; }
  void SetOptions(TTBItemOptions Value);
  TTBItemOptions EffectiveOptions() const { return effectiveOptions_; }
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value) { shortCut_ = Value; }
  TTBCustomItem* LinkSubitems() const { return linkSubitems_; }
  void SetLinkSubitems(TTBCustomItem* Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  TTBItemStyle ItemStyle() const { return itemStyle_; }
  void SetName(const String& NewName) override;

  // Set only on root items: the component that owns the tree.
  TComponent* RootParentComponent() const { return parentComponent_; }
  void SetRootParentComponent(TComponent* Value) { parentComponent_ = Value; }

  // Form-resource hooks.
  bool HasParent() const { return true; }
  TComponent* GetParentComponent() const;
  void SetParentComponent(TComponent* Value);
  void GetChildren(const TEvent<void(TComponent* Child)>& Proc, TComponent* Root) const;
  void SetChildOrder(TComponent* Child, int Order);

  TNotifyEvent OnClick;
  TTBPopupEvent OnPopup;
  TTBSelectEvent OnSelect;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  void BeforeDestruction() override;
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual TTBCustomItemActionLinkClass GetActionLinkClass();
  void SetItemStyle(TTBItemStyle Value) { itemStyle_ = Value; }
  void RefreshOptions();
  // Watches an item across a call that may free it (a listener, an event handler): the item's
  // destructor marks its life token, so that the caller touches nothing of it afterwards.
  class TLifeWatch {
   public:
    explicit TLifeWatch(TTBCustomItem* Item);
    bool Gone() const { return !*alive_; }

   private:
    std::shared_ptr<const bool> alive_;
  };

 private:
  friend class TTBCustomItemActionLink;
  struct TNotifyEntry {
    TTBItemChangedProc Proc;
    int Count;
  };

  void InternalNotify(TTBCustomItem* Ancestor, int NestingLevel, TTBItemChangedAction Action, int Index,
                      TTBCustomItem* Item);
  void RelayThroughGroup(TTBCustomItem* Group, TTBCustomItem* Ancestor, int NestingLevel,
                         TTBItemChangedAction Action, int Index, TTBCustomItem* Item);
  void TurnSiblingsOff();
  bool ChangeImages(TCustomImageList*& List, TCustomImageList* NewList, std::unique_ptr<TTBImageChangeLink>& Link);
  void ImageListChangeHandler(TObject* Sender);
  void DoActionChange(TObject* Sender);
  void TearDownItem();
  void DropLinks();
  // Runs Body between ViewBeginUpdate and ViewEndUpdate; the end goes out also when Body
  // throws, unless a listener freed this item meanwhile.
  template <class Fn>
  void WithinViewUpdate(Fn&& Body);

  std::unique_ptr<TTBCustomItemActionLink> actionLink_;
  bool autoCheck_ = false;
  String caption_;
  bool checked_ = false;
  TTBItemDisplayMode displayMode_ = nbdmDefault;
  bool enabled_ = true;
  TTBItemOptions effectiveOptions_ = 0;
  int groupIndex_ = 0;
  int helpContext_ = 0;
  String hint_;
  int imageIndex_ = -1;
  TCustomImageList* images_ = nullptr;
  std::unique_ptr<TTBImageChangeLink> imagesChangeLink_;
  std::vector<TTBCustomItem*> items_;
  TTBItemStyle itemStyle_ = tbisSelectable | tbisRedrawOnSelChange | tbisRedrawOnMouseOverChange;
  TNilList<TTBCustomItem> linkParents_;
  TTBItemOptions maskOptions_ = 0;
  TTBItemOptions options_ = 0;
  bool inheritOptions_ = true;
  std::vector<TNotifyEntry> notifyList_;
  TTBCustomItem* parent_ = nullptr;
  TComponent* parentComponent_ = nullptr;
  bool radioItem_ = false;
  TShortCut shortCut_ = 0;
  TCustomImageList* subMenuImages_ = nullptr;
  std::unique_ptr<TTBImageChangeLink> subMenuImagesChangeLink_;
  TTBCustomItem* linkSubitems_ = nullptr;
  bool visible_ = true;
  std::shared_ptr<bool> lifeToken_;  // made for the first watch; false once the item is gone
  bool itemTornDown_ = false;
};

// Item's LinkSubitems when it links, else Item itself (one hop only).
TTBCustomItem* SubitemsHolder(TTBCustomItem* Item);

// --- the action link ------------------------------------------------------------------------

class TTBCustomItemActionLink : public TActionLink {
 public:
  explicit TTBCustomItemActionLink(TTBCustomItem* AClient);
  TTBCustomItem* Client() const { return client_; }

  bool IsAutoCheckLinked();
  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  bool IsEnabledLinked() override;
  bool IsHelpContextLinked() override;
  bool IsHintLinked() override;
  bool IsImageIndexLinked() override;
  bool IsShortCutLinked() override;
  bool IsVisibleLinked() override;
  bool IsOnExecuteLinked() override;

 protected:
  void AssignClient(TObject* AClient) override;
  void SetOnExecute(const TNotifyEvent& Value) override;
  void SetAutoCheck(bool Value) override;
  void SetCaption(const String& Value) override;
  void SetChecked(bool Value) override;
  void SetEnabled(bool Value) override;
  void SetHelpContext(int Value) override;
  void SetHint(const String& Value) override;
  void SetImageIndex(int Value) override;
  void SetShortCut(TShortCut Value) override;
  void SetVisible(bool Value) override;

 private:
  TTBCustomItem* client_ = nullptr;
};

// --- item kinds -----------------------------------------------------------------------------

class TTBRootItem : public TTBCustomItem {
 public:
  using TTBCustomItem::TTBCustomItem;
};

class TTBItem : public TTBCustomItem {
 public:
  using TTBCustomItem::TTBCustomItem;
};

class TTBGroupItem : public TTBCustomItem {
 public:
  explicit TTBGroupItem(TComponent* AOwner);
};

class TTBSubmenuItem : public TTBCustomItem {
 public:
  explicit TTBSubmenuItem(TComponent* AOwner);
  bool DropdownCombo() const { return (ItemStyle() & tbisCombo) != 0; }
  void SetDropdownCombo(bool Value);
};

class TTBSeparatorItem : public TTBCustomItem {
 public:
  explicit TTBSeparatorItem(TComponent* AOwner);
  bool Blank() const { return blank_; }
  void SetBlank(bool Value);
  TTBItemViewerClass GetItemViewerClass(TTBView* AView) override;

 private:
  bool blank_ = false;
};

// --- the item viewer -------------------------------------------------------------------------

// One item shown in one view: it measures the item, paints it as a toolbar button or a menu
// line, decides what a press and a release mean and makes the hint. Created by the view from the
// item's viewer class; counted with the items of its thread, and its queued accessible
// selections end with it. The layout sets the public fields.
class TTBItemViewer : public TObject {
 public:
  TTBItemViewer(TTBView* AView, TTBCustomItem* AItem, int AGroupLevel);
  ~TTBItemViewer() override;

  TTBView* View() const { return view_; }
  TTBCustomItem* Item() const { return item_; }
  int GroupLevel() const { return groupLevel_; }

  RECT BoundsRect{};          // in the view window's client coordinates
  bool Clipped = false;       // hidden under a scroll arrow
  bool OffEdge = false;       // hidden behind a toolbar's chevron
  bool Show = false;          // shown in the view
  bool RepaintPending = false;  // invalidated: the next paint draws it whole, off-screen
  bool LineSeparator = false;   // a separator that ends a wrapped line

  // Measuring and painting.
  virtual void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight);
  virtual void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
                     bool UseDisabledShadow);
  virtual void DrawItemCaption(TCanvas& Canvas, RECT ARect, const String& ACaption, bool DrawDisabledShadow,
                               UINT AFormat);
  virtual bool UsesSameWidth();
  virtual bool IsToolbarStyle();
  virtual bool IsToolbarSize();
  virtual bool CaptionShown();
  virtual String GetCaptionText();
  bool IsRotated();
  bool ImageShown();
  TCustomImageList* GetImageList();
  virtual bool IsPtInButtonPart(int X, int Y);

  // Input, called by the view and the menu loop. Points are viewer-relative.
  virtual bool DoExecute();
  void Execute(bool AGivePriority);
  virtual void Entering(TTBItemViewer* OldSelected);
  virtual void Leaving();
  virtual void LosingCapture();
  virtual void GetCursor(const POINT& Pt, HCURSOR& ACursor);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void MouseDown(TShiftState Shift, int X, int Y, bool& MouseDownOnMenu);
  virtual void MouseMove(int X, int Y);
  virtual void MouseUp(int X, int Y, bool MouseWasDownOnMenu);
  virtual void MouseWheel(int WheelDelta, int X, int Y, bool& Handled);

  String GetHintText();
  int GetIndex();
  // A point of the view window's client area, relative to this viewer.
  POINT ScreenToClient(const POINT& P);

  // Accessibility (TB2Acc.h). The viewer's object is made on a client's first request and lives
  // while clients hold it: the viewer keeps no reference of its own.
  bool IsAccessible() const { return Show || OffEdge || Clipped; }
  virtual int GetAccRole();
  virtual bool GetAccValue(String& Value);
  // A counted reference for the caller, or null without the accessibility library.
  IDispatch* GetAccObject();
  // Queues an accessible selection (or execution) to run after the accessibility call returns.
  void PostAccSelect(bool Execute);
  virtual void AccSelect(bool Execute);

 private:
  friend class TTBItemViewerAccObject;
  // Tells the object that the viewer is gone, and forgets it.
  void DropAccObject();

  TTBView* view_;
  TTBCustomItem* item_;
  int groupLevel_;
  TTBBaseAccObject* accObject_ = nullptr;  // not counted
};

// A separator: an etched line across a menu or down a toolbar, or nothing when blank.
class TTBSeparatorItemViewer : public TTBItemViewer {
 public:
  using TTBItemViewer::TTBItemViewer;
  void CalcSize(TCanvas& Canvas, int& AWidth, int& AHeight) override;
  void Paint(TCanvas& Canvas, const RECT& ClientAreaRect, bool IsSelected, bool IsPushed,
             bool UseDisabledShadow) override;
  bool UsesSameWidth() override { return false; }
};

// An item that holds a control living on a toolbar; frees it unless told to keep it.
class TTBControlItem : public TTBCustomItem {
 public:
  explicit TTBControlItem(TComponent* AOwner);
  TTBControlItem(TComponent* AOwner, TControl* AControl);
  ~TTBControlItem() override;
  TControl* Control() const { return control_; }
  void SetControl(TControl* Value);
  bool KeepControlOnDestroy() const { return keepControlOnDestroy_; }
  void SetKeepControlOnDestroy(bool Value) { keepControlOnDestroy_ = Value; }

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  TControl* control_ = nullptr;
  bool keepControlOnDestroy_ = false;
};

// The font of popup windows without a parent view: the system's menu font.
TFont& ToolbarFont();
void TBInitToolbarSystemFont();

// --- the click queue ------------------------------------------------------------------------

constexpr UINT WM_TB_CLICKITEM = 0x0500;

// Carries out the outcome of a menu loop: a chosen item's click is queued (unless only the item
// is wanted) and answered; the system menu or context help opens; else nothing.
TTBCustomItem* ProcessDoneAction(const TTBDoneActionData& DoneActionData, bool ReturnClickedItemOnly);
void QueueItemClick(TObject* AObject, WPARAM WParam);
void CancelQueuedClicks(TObject* AObject);
void IncItemViewerCount();
void DecItemViewerCount();
void FreeClickQueue();

// Context help for the help outcome. Without a handler of its own it asks the application's
// help: popup help when the active form shows the help border icon, else the help topic.
using TTBHelpContextHandler = void (*)(int ContextID);
void SetTBHelpContextHandler(TTBHelpContextHandler Handler);

namespace tb2item_detail {
// What the tests look at: the thread's queue slots (nullptr free, 1 the freed marker) and its
// hidden window.
const std::vector<TObject*>* ClickList();
HWND ClickWnd();
int ItemViewerCount();
TObject* FreedClickMarker();
// Whether a popup sound has played in this process; a test sets it to see the first time again.
bool PopupSoundPlayed();
void SetPopupSoundPlayed(bool Value);
}  // namespace tb2item_detail
