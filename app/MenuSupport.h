#pragma once
// What the application's forms share to build their menus: items made in the order they are
// listed, and menu images read from the program's bitmap strips.
#include "classlib/ImgList.h"
#include "items/TB2Item.h"
#include "tbx/TBXToolPals.h"

// An item of class T named Name, owned by Owner and added as the last child of Parent.
template <class T>
T* AddMenuItem(TComponent* Owner, TTBCustomItem* Parent, const wchar_t* Name, const wchar_t* Caption = L"",
               int ImageIndex = -1, const TNotifyEvent& OnClick = nullptr) {
  auto* item = new T(Owner);
  item->SetName(Name);
  if (*Caption) item->SetCaption(Caption);
  item->SetImageIndex(ImageIndex);
  item->OnClick = OnClick;
  Parent->Add(item);
  return item;
}

// Shows a colour as the palette's selection as its submenu opens, without running the
// palette's change handler: showing the present colour is no choice of the user's.
void PresetPaletteColor(TTBXColorPalette& Palette, TColor Color);

// Adds the 16-pixel images of a bitmap strip of the program's resources (magenta shows
// through). A program built without the strip keeps the list as it is: its items show no image.
void AddImageStrip(TCustomImageList& List, const wchar_t* ResourceName);

// The resource names of the strips.
inline constexpr wchar_t kTrayMenuImages[] = L"TRAYMENUIMAGES";
inline constexpr wchar_t kEditorImages[] = L"EDITORIMAGES";
