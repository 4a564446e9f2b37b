// Web links go to the shell quoted with the verb "open"; mail links go through the 8-bit call
// with the default verb; site links carry the referrer tag.
#include "app/WebLinks.h"
#include "common/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class WebLinks : public testing::Test {
 protected:
  void SetUp() override { testing_support::Shell().Requests.clear(); }
  const testing_support::TRecordingShell::Request& Only() {
    EXPECT_EQ(testing_support::Shell().Requests.size(), 1u);
    return testing_support::Shell().Requests.back();
  }
};

TEST_F(WebLinks, AnAddressReachesTheShellWholeInQuotes) {
  OpenUrl(L"http://host.example/a page?x=1");
  const auto& r = Only();
  EXPECT_EQ(r.File, L"\"http://host.example/a page?x=1\"");
  EXPECT_EQ(r.Verb, L"open");
  EXPECT_EQ(r.Parameters, L"");
  EXPECT_EQ(r.Show, SW_SHOWNORMAL);
  EXPECT_FALSE(r.Ansi);
}

TEST_F(WebLinks, AMailAddressGoesThroughTheEightBitCallWithTheDefaultVerb) {
  OpenMailTo(Addresses().InfoMail());
  const auto& r = Only();
  EXPECT_EQ(r.File, L"mailto:" + Addresses().InfoMail());
  EXPECT_EQ(r.Verb, L"");
  EXPECT_EQ(r.Show, SW_SHOWDEFAULT);
  EXPECT_TRUE(r.Ansi);
}

TEST_F(WebLinks, SiteLinksCarryTheReferrerTag) {
  EXPECT_EQ(TaggedLink(L"http://www.quillnote.example", L"/help.html", L"qnt-abc"),
            L"http://www.quillnote.example/help.html?referrer=qnt-abc");
  EXPECT_EQ(TaggedLink(L"http://www.orvane.example", L"", L"qnt"), L"http://www.orvane.example?referrer=qnt");
}

TEST_F(WebLinks, TheAddressesCanBeReplaced) {
  struct TLocal : TAddresses {
    String ProductSite() override { return L"http://127.0.0.1:8080"; }
  } local;
  seams::Scoped<TAddresses> use(local);
  EXPECT_EQ(Addresses().ProductSite(), L"http://127.0.0.1:8080");
  EXPECT_EQ(Addresses().MakerSite(), TAddresses().MakerSite());
}

}  // namespace
