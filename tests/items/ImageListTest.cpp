// Image lists standing in for checked, disabled and hot images, filled from one masked bitmap.
#include "classlib/Graphics.h"
#include "classlib/Seams.h"
#include "items/TB2ImageList.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

class TShadowColours : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int index) override {
    if (index == COLOR_BTNHIGHLIGHT) return RGB(0xEE, 0xE0, 0x11);
    if (index == COLOR_BTNSHADOW) return RGB(0x55, 0x22, 0x44);
    return seams::TSystemSettings::SysColor(index);
  }
};

class TChangeCounter : public TObject {
 public:
  void Changed(TObject*) { ++Count; }
  TNotifyEvent Event() { return TNotifyEvent(this, &TChangeCounter::Changed); }
  int Count = 0;
};

// Watches a list through a link of its own, registered before any other, and breaks off a
// change that keeps coming back: a stack overflow under Wine can end the process as if the
// tests had passed.
class TRecursionFuse : public TObject {
 public:
  explicit TRecursionFuse(TCustomImageList* List) {
    link_.OnChange = TNotifyEvent(this, &TRecursionFuse::Changed);
    List->RegisterChanges(&link_);
  }
  void Changed(TObject*) {
    if (++depth_ > kLimit) throw std::runtime_error("a change keeps coming back");
  }
  void Reset() { depth_ = 0; }

 private:
  static constexpr int kLimit = 50;
  TChangeLink link_;
  int depth_ = 0;
};

constexpr uint32_t kBackground = 0x00FF00, kMask = 0xFF00FF;
constexpr uint32_t kMain = 0xFF0000, kChecked = 0x00A000, kDisabled = 0x0000FF, kHot = 0xFFFF00;

// Which part of a 16 x 16 image is painted: the lists differ in shape, so that a greyed image
// still tells which list it came from.
enum TShape { shFull, shLeftHalf, shTopHalf };

class TBImageListTest : public ::testing::Test {
 protected:
  TShadowColours colours;
  seams::Scoped<seams::TSystemSettings> useColours{colours};
  std::unique_ptr<TComponent, void (*)(TComponent*)> owner{new TComponent(nullptr), [](TComponent* c) { c->Free(); }};

  // Owned by the fixture unless told otherwise: a list with no owner in common hears of another's
  // end only through the free notification it asked for.
  TTBImageList* MakeList(uint32_t colour, TShape shape, bool owned = true) {
    auto* list = new TTBImageList(owned ? owner.get() : nullptr);
    TBitmap image;
    image.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool painted = shape == shFull || (shape == shLeftHalf && x < 8) || (shape == shTopHalf && y < 8);
        image.ScanLine(y)[x] = painted ? colour : kMask;
      }
    list->AddMasked(image, RGB(255, 0, 255));
    return list;
  }
  // A picture 20 x 20 of the background with image Index of List drawn at (2, 2).
  static void Fill(TBitmap& b, int w, int h) {
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) b.ScanLine(y)[x] = kBackground;
  }
};

uint32_t Px(TColor c) { return RGBToPixel(ColorToGdi(c)); }

}  // namespace

TEST_F(TBImageListTest, DrawStateTakesTheListTheStateNames) {
  enum TSource { fromMain, fromChecked, fromDisabled, fromHot };
  struct Case {
    bool enabled, selected, checked;
    bool hasChecked, hasDisabled, hasHot;
    TSource source;
    bool greyed;
  } cases[] = {
      {true, false, false, true, true, true, fromMain, false},
      {true, true, false, true, true, true, fromHot, false},
      {true, false, true, true, true, true, fromChecked, false},
      {true, true, true, true, true, true, fromChecked, false},  // checked wins over selected
      {true, true, true, false, false, false, fromMain, false},
      {true, true, true, false, false, true, fromHot, false},
      {true, false, true, false, true, false, fromMain, false},
      {false, false, false, true, true, true, fromDisabled, false},
      {false, true, true, true, true, true, fromDisabled, false},
      {false, false, false, false, false, false, fromMain, true},
      {false, true, true, true, false, true, fromChecked, true},
      {false, true, false, false, false, true, fromHot, true},
  };
  TTBImageList* main = MakeList(kMain, shFull);
  TTBImageList* checked = MakeList(kChecked, shLeftHalf);
  TTBImageList* disabled = MakeList(kDisabled, shFull);
  TTBImageList* hot = MakeList(kHot, shTopHalf);
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << "enabled " << k.enabled << " selected " << k.selected << " checked "
                                    << k.checked << " lists " << k.hasChecked << k.hasDisabled << k.hasHot);
    main->SetCheckedImages(k.hasChecked ? checked : nullptr);
    main->SetDisabledImages(k.hasDisabled ? disabled : nullptr);
    main->SetHotImages(k.hasHot ? hot : nullptr);
    TBitmap b;
    Fill(b, 20, 20);
    main->DrawState(b.Canvas(), 2, 2, 0, k.enabled, k.selected, k.checked);
    const uint32_t colour[] = {kMain, kChecked, kDisabled, kHot};
    const uint32_t ink = k.greyed ? Px(clBtnShadow) : colour[k.source];
    // Sample the left-bottom, right-top and right-bottom quarters.
    const bool leftBottom = k.source != fromHot;
    const bool rightTop = k.source != fromChecked;
    const bool rightBottom = k.source == fromMain || k.source == fromDisabled;
    EXPECT_EQ(leftBottom ? ink : kBackground, b.ScanLine(2 + 12)[2 + 4]);
    EXPECT_EQ(rightTop ? ink : kBackground, b.ScanLine(2 + 4)[2 + 12]);
    EXPECT_EQ(rightBottom ? ink : kBackground, b.ScanLine(2 + 12)[2 + 12]);
  }
}

TEST_F(TBImageListTest, ImagesBitmapIsCutIntoImagesWithItsMaskColourTransparent) {
  auto* list = new TTBImageList(owner.get());
  TChangeCounter changes;
  list->OnChange = changes.Event();
  EXPECT_EQ(RGB(255, 0, 255), static_cast<COLORREF>(list->ImagesBitmapMaskColor()));
  // Three 16 x 16 images, each with a masked column 3 and a masked bottom-right pixel.
  const uint32_t blocks[] = {kMain, kChecked, kDisabled};
  TBitmap strip;
  strip.SetSize(48, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 48; ++x) strip.ScanLine(y)[x] = (x % 16 == 3 || (x % 16 == 15 && y == 15)) ? kMask : blocks[x / 16];
  list->SetImagesBitmap(strip);
  EXPECT_EQ(3, list->Count());
  EXPECT_EQ(1, changes.Count);  // one signal for the whole reload

  for (int i = 0; i < 3; ++i) {
    TBitmap b;
    Fill(b, 16, 16);
    list->Draw(b.Canvas(), 0, 0, i);
    EXPECT_EQ(blocks[i], b.ScanLine(0)[0]) << i;
    EXPECT_EQ(blocks[i], b.ScanLine(8)[4]) << i;
    EXPECT_EQ(kBackground, b.ScanLine(8)[3]) << i;
    EXPECT_EQ(kBackground, b.ScanLine(15)[15]) << i;
  }

  // The same mask colour again rebuilds nothing; another one rebuilds with it.
  list->SetImagesBitmapMaskColor(RGB(255, 0, 255));
  EXPECT_EQ(1, changes.Count);
  list->SetImagesBitmapMaskColor(static_cast<TColor>(PixelToRGB(kChecked)));
  EXPECT_EQ(2, changes.Count);
  EXPECT_EQ(3, list->Count());
  TBitmap b;
  Fill(b, 16, 16);
  list->Draw(b.Canvas(), 0, 0, 1);
  EXPECT_EQ(kBackground, b.ScanLine(8)[4]);
  EXPECT_EQ(kMask, b.ScanLine(8)[3]);

  // An empty bitmap leaves the images as they are.
  list->SetImagesBitmap(TBitmap());
  EXPECT_EQ(3, list->Count());
}

TEST_F(TBImageListTest, AListCannotStandInForItself) {
  TTBImageList* list = MakeList(kMain, shFull);
  TChangeCounter changes;
  list->OnChange = changes.Event();
  list->SetHotImages(list);
  list->SetCheckedImages(list);
  list->SetDisabledImages(list);
  EXPECT_EQ(nullptr, list->HotImages());
  EXPECT_EQ(nullptr, list->CheckedImages());
  EXPECT_EQ(nullptr, list->DisabledImages());
  EXPECT_EQ(0, changes.Count);
  // Set to another list first, itself then clears it.
  TTBImageList* other = MakeList(kHot, shFull);
  list->SetHotImages(other);
  list->SetHotImages(list);
  EXPECT_EQ(nullptr, list->HotImages());
  EXPECT_EQ(2, changes.Count);
}

TEST_F(TBImageListTest, WatchedListsPassTheirChangesOn) {
  TTBImageList* list = MakeList(kMain, shFull);
  TTBImageList* first = MakeList(kChecked, shFull);
  TTBImageList* second = MakeList(kHot, shFull);
  TChangeCounter changes;
  list->OnChange = changes.Event();
  list->SetCheckedImages(first);
  EXPECT_EQ(1, changes.Count);
  list->SetCheckedImages(first);  // unchanged: no signal
  EXPECT_EQ(1, changes.Count);
  first->Clear();
  EXPECT_EQ(2, changes.Count);
  list->SetCheckedImages(second);
  EXPECT_EQ(3, changes.Count);
  first->SetSize(8, 8);  // no longer watched
  EXPECT_EQ(3, changes.Count);
  second->SetSize(8, 8);
  EXPECT_EQ(4, changes.Count);
}

TEST_F(TBImageListTest, ListsReferringToEachOtherSignalOnceEach) {
  // Without the guard each change would bounce between the lists until the stack ran out.
  TTBImageList* a = MakeList(kMain, shFull);
  TTBImageList* b = MakeList(kHot, shFull);
  TTBImageList* c = MakeList(kChecked, shFull);
  TRecursionFuse fuseA(a), fuseB(b), fuseC(c);
  TChangeCounter aChanges, bChanges, cChanges;
  a->OnChange = aChanges.Event();
  b->OnChange = bChanges.Event();
  c->OnChange = cChanges.Event();
  auto change = [&](const std::function<void()>& fn) {
    fuseA.Reset();
    fuseB.Reset();
    fuseC.Reset();
    EXPECT_NO_THROW(fn());
  };
  change([&] { a->SetHotImages(b); });
  change([&] { b->SetHotImages(a); });
  aChanges.Count = bChanges.Count = 0;
  change([&] { a->Clear(); });
  EXPECT_EQ(1, aChanges.Count);
  EXPECT_EQ(1, bChanges.Count);
  // Having finished signalling, a list signals again on its next change.
  change([&] { b->SetSize(20, 20); });
  EXPECT_EQ(2, aChanges.Count);
  EXPECT_EQ(2, bChanges.Count);
  change([&] { a->SetDisabledImages(b); });  // a second reference back
  EXPECT_EQ(3, aChanges.Count);
  EXPECT_EQ(3, bChanges.Count);

  // A ring of three ends too, with every list told.
  change([&] { b->SetCheckedImages(c); });
  change([&] { c->SetCheckedImages(a); });
  const int aBefore = aChanges.Count, bBefore = bChanges.Count, cBefore = cChanges.Count;
  change([&] { c->SetSize(24, 24); });
  EXPECT_GT(aChanges.Count, aBefore);
  EXPECT_GT(bChanges.Count, bBefore);
  EXPECT_EQ(cBefore + 1, cChanges.Count);
}

TEST_F(TBImageListTest, DestroyingAReferencedListClearsEveryReferenceToIt) {
  TTBImageList* list = MakeList(kMain, shFull);
  TTBImageList* shared = MakeList(kHot, shFull, false);
  TTBImageList* disabled = MakeList(kDisabled, shFull, false);
  list->SetCheckedImages(shared);
  list->SetHotImages(shared);
  list->SetDisabledImages(disabled);
  // Letting go of one use keeps watching the list for the other.
  list->SetHotImages(nullptr);
  list->SetHotImages(shared);
  list->SetCheckedImages(nullptr);
  TChangeCounter changes;
  list->OnChange = changes.Event();
  shared->Free();
  EXPECT_EQ(nullptr, list->HotImages());
  EXPECT_EQ(disabled, list->DisabledImages());
  EXPECT_EQ(1, changes.Count);
  disabled->Free();
  EXPECT_EQ(nullptr, list->DisabledImages());
  EXPECT_EQ(2, changes.Count);
  TBitmap b;
  Fill(b, 20, 20);
  list->DrawState(b.Canvas(), 2, 2, 0, false, true, true);  // greyed from its own images
  EXPECT_EQ(Px(clBtnShadow), b.ScanLine(10)[10]);

  // The list that refers goes first: the one it watched lives on and changes freely.
  TTBImageList* watched = MakeList(kHot, shFull);
  list->SetCheckedImages(watched);
  list->Free();
  watched->Clear();
  EXPECT_EQ(0, watched->Count());
}
