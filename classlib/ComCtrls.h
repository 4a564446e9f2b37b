#pragma once
// The page control: the system's tab control with one sheet per tab. Each sheet is a window
// lying in the tab control's display area; only the active one is visible. The user's tab
// changes arrive reflected from the parent (CN_NOTIFY); Ctrl+Tab and Ctrl+Shift+Tab reach it as
// dialog keys from the form while the focus lies on it, on one of its pages or outside any page
// control. A page that goes out of sight with the focus on it leaves the focus to the tabs.
#include "classlib/Controls.h"

#include <vector>

class TPageControl;

// One page of a page control; its Caption is the tab's text and the controls of the page lie
// on it. Making a page control its parent (SetParent or SetPageControl) adds its tab.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pageControl);
  void SetParent(TWinControl* parent) override;
  // Position among the page control's pages, -1 without one.
  int PageIndex() const;

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(static_cast<size_t>(index)); }
  // The page shown; nullptr without pages. Setting it shows that page alone and fires nothing.
  TTabSheet* ActivePage() const { return activePage_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }
  void SetActivePageIndex(int index);
  // Shows the page after (or before) the active one, going round, as the user's choice: OnChange
  // follows.
  void SelectNextPage(bool GoForward);
  // The display area below the tabs, where the pages lie.
  RECT AdjustClientRect() const override;

  // The user chose another tab.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  void FontChanged() override;
  virtual void Change();

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  // Gives the tab at `index` its page's caption (TCM_INSERTITEMW or TCM_SETITEMW).
  void SendTabText(UINT msg, int index);
  void InsertTab(int index);
  void UpdateTab(TTabSheet* page);
  void CNNotify(TMessage& m);
  void WMEraseBkgnd(TMessage& m);
  void CMDialogKey(TMessage& m);
  // Whether Ctrl+Tab is this control's to take: the nearest page control around the focused
  // control is this one, or there is none.
  bool OwnsPageKeys() const;
  void TabChangedByUser();

  std::vector<TTabSheet*> pages_;
  TTabSheet* activePage_ = nullptr;
};
