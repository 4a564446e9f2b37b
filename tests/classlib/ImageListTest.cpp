#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/Seams.h"
#include "common/GdiCensus.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

class TFakeColours : public seams::TSystemSettings {
 public:
  COLORREF SysColor(int index) override {
    if (index == COLOR_BTNHIGHLIGHT) return RGB(0xEE, 0xEE, 0xEE);
    if (index == COLOR_BTNSHADOW) return RGB(0x55, 0x55, 0x55);
    return RGB(index, index, index);
  }
};

class TLinkSpy : public TObject {
 public:
  void Changed(TObject* sender) { Senders.push_back(sender); }
  std::vector<TObject*> Senders;
};

constexpr uint32_t kRed = 0xFF0000, kBlue = 0x0000FF, kMagenta = 0xFF00FF, kGreen = 0x00FF00;

// Two 4 x 4 images side by side: a red one with a magenta (transparent) top-left pixel and a
// blue one.
void MakeStrip(TBitmap& strip) {
  strip.SetSize(8, 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x) strip.ScanLine(y)[x] = x < 4 ? kRed : kBlue;
  strip.ScanLine(0)[0] = kMagenta;
}

class ImageListTest : public ::testing::Test {
 protected:
  TFakeColours colours;
  seams::Scoped<seams::TSystemSettings> useColours{colours};
  std::unique_ptr<TImageList> list{new TImageList(nullptr)};

  void Fill(TBitmap& b, int w, int h, uint32_t pixel) {
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) b.ScanLine(y)[x] = pixel;
  }
};

}  // namespace

TEST_F(ImageListTest, AddMaskedCutsTheBitmapIntoImages) {
  list->SetSize(4, 4);
  TBitmap strip;
  MakeStrip(strip);
  EXPECT_EQ(0, list->AddMasked(strip, RGB(255, 0, 255)));
  EXPECT_EQ(2, list->Count());
  EXPECT_EQ(2, list->AddMasked(strip, RGB(255, 0, 255)));
  EXPECT_EQ(4, list->Count());
  list->Clear();
  EXPECT_EQ(0, list->Count());
  TBitmap empty;
  EXPECT_EQ(-1, list->AddMasked(empty, 0));
}

TEST_F(ImageListTest, DrawLeavesTheMaskColourOut) {
  list->SetSize(4, 4);
  TBitmap strip;
  MakeStrip(strip);
  list->AddMasked(strip, RGB(255, 0, 255));
  TBitmap target;
  Fill(target, 10, 6, kGreen);
  list->Draw(target.Canvas(), 1, 1, 0);
  list->Draw(target.Canvas(), 5, 1, 1);
  EXPECT_EQ(kGreen, target.ScanLine(1)[1]);  // the transparent pixel
  EXPECT_EQ(kRed, target.ScanLine(1)[2]);
  EXPECT_EQ(kRed, target.ScanLine(4)[4]);
  EXPECT_EQ(kBlue, target.ScanLine(1)[5]);
  EXPECT_EQ(kGreen, target.ScanLine(1)[9]);
  // Indexes outside the list draw nothing.
  list->Draw(target.Canvas(), 0, 0, 7);
  list->Draw(target.Canvas(), 0, 0, -1);
  EXPECT_EQ(kGreen, target.ScanLine(0)[0]);
}

TEST_F(ImageListTest, DisabledImagesAreEmbossedInTheShadowColours) {
  list->SetSize(4, 4);
  // A 2 x 2 black square in the top-left corner of a white-masked image.
  TBitmap image;
  Fill(image, 4, 4, 0xFFFFFF);
  image.ScanLine(0)[0] = image.ScanLine(0)[1] = 0;
  image.ScanLine(1)[0] = image.ScanLine(1)[1] = 0;
  list->AddMasked(image, RGB(255, 255, 255));
  TBitmap target;
  Fill(target, 8, 8, kGreen);
  list->Draw(target.Canvas(), 2, 2, 0, false);
  const uint32_t shadow = 0x555555, highlight = 0xEEEEEE;
  EXPECT_EQ(shadow, target.ScanLine(2)[2]);
  EXPECT_EQ(shadow, target.ScanLine(3)[3]);
  EXPECT_EQ(highlight, target.ScanLine(4)[4]);  // the relief one pixel down and right
  EXPECT_EQ(highlight, target.ScanLine(4)[3]);
  EXPECT_EQ(kGreen, target.ScanLine(5)[5]);    // untouched outside the shape
  EXPECT_EQ(kGreen, target.ScanLine(2)[5]);
}

TEST_F(ImageListTest, GetIconGivesANewIcon) {
  list->SetSize(4, 4);
  TBitmap strip;
  MakeStrip(strip);
  list->AddMasked(strip, RGB(255, 0, 255));
  gdi::IconHandle icon = list->GetIcon(1);
  ASSERT_TRUE(icon);
  EXPECT_EQ(2, list->AddIcon(icon.Get()));  // and back again: the same picture
  TBitmap target;
  Fill(target, 4, 4, kGreen);
  list->Draw(target.Canvas(), 0, 0, 2);
  EXPECT_EQ(kBlue, target.ScanLine(3)[3]);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon.Get(), &info));
  BITMAP bm{};
  GetObjectW(info.hbmColor, sizeof bm, &bm);
  EXPECT_EQ(4, bm.bmWidth);
  gdi::BitmapHandle colour(info.hbmColor), mask(info.hbmMask);  // GetIconInfo's copies
  EXPECT_FALSE(list->GetIcon(3));
}

TEST_F(ImageListTest, ChangeLinksHearEveryChange) {
  TLinkSpy spy;
  TChangeLink a, b;
  a.OnChange = TNotifyEvent(&spy, &TLinkSpy::Changed);
  b.OnChange = TNotifyEvent(&spy, &TLinkSpy::Changed);
  list->RegisterChanges(&a);
  list->RegisterChanges(&b);
  list->RegisterChanges(&a);  // registering twice keeps one link
  EXPECT_EQ(list.get(), a.Sender);
  TLinkSpy own;
  list->OnChange = TNotifyEvent(&own, &TLinkSpy::Changed);

  TBitmap strip;
  MakeStrip(strip);
  struct Step {
    const char* what;
    std::function<void()> act;
    size_t calls;  // link calls this step adds
  };
  const Step steps[] = {
      {"resize", [&] { list->SetSize(4, 4); }, 2},
      {"same size", [&] { list->SetSize(4, 4); }, 0},
      {"add", [&] { list->AddMasked(strip, RGB(255, 0, 255)); }, 2},
      {"clear", [&] { list->Clear(); }, 2},
      {"clear empty", [&] { list->Clear(); }, 0},
  };
  size_t expected = 0;
  for (const Step& s : steps) {
    s.act();
    expected += s.calls;
    EXPECT_EQ(expected, spy.Senders.size()) << s.what;
    EXPECT_EQ(expected / 2, own.Senders.size()) << s.what;
  }
  for (TObject* sender : spy.Senders) EXPECT_EQ(list.get(), sender);

  list->UnRegisterChanges(&b);
  EXPECT_EQ(nullptr, b.Sender);
  list->SetSize(8, 8);
  EXPECT_EQ(expected + 1, spy.Senders.size());
}

TEST_F(ImageListTest, LinksAndListsMayEndInEitherOrder) {
  TLinkSpy spy;
  {
    TChangeLink shortLived;
    shortLived.OnChange = TNotifyEvent(&spy, &TLinkSpy::Changed);
    list->RegisterChanges(&shortLived);
  }  // unregisters itself
  list->SetSize(5, 5);
  EXPECT_TRUE(spy.Senders.empty());

  TChangeLink outlives;
  outlives.OnChange = TNotifyEvent(&spy, &TLinkSpy::Changed);
  list->RegisterChanges(&outlives);
  list.reset();
  EXPECT_EQ(nullptr, outlives.Sender);  // told that its list is gone
}

TEST_F(ImageListTest, AHandlerMayUnregisterAnotherLink) {
  class TUnlinker : public TObject {
   public:
    TCustomImageList* List = nullptr;
    TChangeLink* Other = nullptr;
    int Calls = 0;
    void Changed(TObject*) {
      ++Calls;
      List->UnRegisterChanges(Other);
    }
  } unlinker;
  TChangeLink first, second;
  unlinker.List = list.get();
  unlinker.Other = &second;
  first.OnChange = TNotifyEvent(&unlinker, &TUnlinker::Changed);
  second.OnChange = TNotifyEvent(&unlinker, &TUnlinker::Changed);
  list->RegisterChanges(&first);
  list->RegisterChanges(&second);
  list->SetSize(6, 6);
  EXPECT_EQ(1, unlinker.Calls);
}

TEST_F(ImageListTest, AddingAndDrawingLeakNoObjects) {
  long before = gdi::LiveObjects();
  const gdi_census::TMark census;
  {
    TBitmap strip;
    MakeStrip(strip);
    TBitmap mono;
    mono.SetMonochrome(true);
    mono.SetSize(8, 4);
    TBitmap target;
    Fill(target, 8, 8, kGreen);
    list->SetSize(4, 4);
    list->AddMasked(strip, RGB(255, 0, 255));
    list->AddMasked(mono, RGB(255, 255, 255));
    for (int i = 0; i < 4; ++i) {
      list->Draw(target.Canvas(), 0, 0, i, true);
      list->Draw(target.Canvas(), 0, 0, i, false);
    }
  }
  EXPECT_EQ(before, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
}
