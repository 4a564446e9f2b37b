// What an open note costs in GDI objects: Windows gives a process 10,000, and users keep dozens
// of notes open.
#include "AppFixture.h"

#include "classlib/GdiHandles.h"
#include "common/GdiCensus.h"

using namespace app_testing;
using testing_support::PumpMessages;

namespace {

// The system's own count; 0 where it keeps none (Wine).
long SystemGdiObjects() {
  return static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
}

// Paints every note now, as the screen would show them.
void PaintAll() {
  for (TFR_NOTE* note : OpenNotes())
    RedrawWindow(note->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages(0);
}

}  // namespace

class NoteCostTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    CreateMainForm();
  }
};

TEST_F(NoteCostTest, FiftyNotesCostAtMostEightGdiObjectsEachAndGiveThemAllBack) {
  constexpr int kNotes = 50;
  constexpr long kPerNote = 8;
  // One note first, so that what the system's controls make once per process is there before
  // counting.
  NewNote(L"warm-up");
  PaintAll();
  DropNotes();
  const long ownBefore = gdi::LiveObjects();
  const long systemBefore = SystemGdiObjects();
  const gdi_census::TMark census;

  for (int i = 0; i < kNotes; ++i) NewNote(L"note " + std::to_wstring(i));
  PaintAll();
  ASSERT_EQ(static_cast<size_t>(kNotes), OpenNotes().size());
  EXPECT_LE(gdi::LiveObjects() - ownBefore, kPerNote * kNotes);
  EXPECT_LE(census.Added(), kPerNote * kNotes) << census.Describe();
  if (systemBefore > 0) {
    EXPECT_LE(SystemGdiObjects() - systemBefore, kPerNote * kNotes);
  }

  DropNotes();
  EXPECT_EQ(ownBefore, gdi::LiveObjects());
  EXPECT_TRUE(census.NothingLeft());
  if (systemBefore > 0) {
    EXPECT_EQ(systemBefore, SystemGdiObjects());
  }
}
