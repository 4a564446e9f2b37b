#pragma once
// Image lists: a row of equally sized images with a mask, and change links that tell their
// clients (menus, buttons) when the images change.
#include "classlib/Classes.h"
#include "classlib/GdiHandles.h"

#include <commctrl.h>

#include <vector>

class TCanvas;
class TBitmap;
class TCustomImageList;

// A client's link to an image list: the list calls Change on every registered link.
class TChangeLink : public TObject {
 public:
  ~TChangeLink() override;  // unregisters itself from its list
  virtual void Change();
  TCustomImageList* Sender = nullptr;
  TNotifyEvent OnChange;
};

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;

  int Width() const;
  int Height() const;
  void SetSize(int width, int height);  // clears the images
  int Count() const;
  HIMAGELIST Handle() const;

  // Adds the bitmap's images (its width a multiple of Width()); maskColor marks transparent
  // pixels. Returns the index of the first image added.
  int AddMasked(const TBitmap& bitmap, COLORREF maskColor);
  // Adds a copy of the icon (scaled to the list's size); returns its index.
  int AddIcon(HICON icon);
  void Clear();
  // Draws one image; a disabled image is drawn embossed in the system's shadow colours.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
  // A new icon of the image (empty for an index outside the list).
  gdi::IconHandle GetIcon(int index) const;

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);
  TNotifyEvent OnChange;

 protected:
  // Tells the registered links and OnChange; descendants may hold back a repeated signal.
  virtual void Change();

 private:
  gdi::ImageListHandle handle_;
  int width_ = 16;
  int height_ = 16;
  std::vector<TChangeLink*> links_;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};
