// Web links go to the shell quoted with the verb "open"; mail links go through the 8-bit call
// with the default verb; site links carry the referrer tag.
#include "app/WebLinks.h"
#include "classlib/TextConv.h"
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


// Query values: UTF-8, percent-encoded, unreserved characters kept.
TEST(QueryValues, AreEncodedSoNoCharacterBreaksTheQueryOrTheQuotes) {
  struct {
    String in;
    String out;
  } cases[] = {
      {L"a&b=c#d%e+f \"g\"", L"a%26b%3Dc%23d%25e%2Bf%20%22g%22"},
      {L"\u00FC\u20AC", L"%C3%BC%E2%82%AC"},
      {L"\U0001F600", L"%F0%9F%98%80"},
      {L"line\r\nnext", L"line%0D%0Anext"},
      {L"Az09-._~", L"Az09-._~"},
      {String(1, wchar_t(0xD800)) + L"x", L"%EF%BF%BDx"},
  };
  for (const auto& c : cases) EXPECT_EQ(EncodeQueryValue(c.in), c.out) << WideToUtf8(c.in);
}

TEST(QueryValues, AreCutAtAWholeCharacter) {
  // Each budget falls inside the next character's escape: the value stops before it.
  const String smile = L"\U0001F600";
  EXPECT_EQ(EncodeQueryValue(L"ab" + smile, 13), L"ab");
  EXPECT_EQ(EncodeQueryValue(L"ab" + smile, 14), L"ab%F0%9F%98%80");
  EXPECT_EQ(EncodeQueryValue(L"a&b", 3), L"a");
  EXPECT_EQ(EncodeQueryValue(L"a&b", 4), L"a%26");
}

TEST(QueryValues, AnyNoteLengthGivesAnAddressOfAtMost2048Characters) {
  String big;
  for (int i = 0; i < 10000; ++i) big += (i % 3 == 0) ? L"\u20AC" : (i % 3 == 1 ? L"\U0001F600" : L"&");
  for (const String& url : {WebSearchAddress(big), PostAddress(big)}) {
    EXPECT_LE(url.size(), MaxUrlLength);
    EXPECT_GT(url.size(), MaxUrlLength - 12);  // no more cut than one character's escape
    EXPECT_EQ(url.find(L'"'), String::npos);
  }
  String mail = MailRequestText(L"Shopping", big);
  EXPECT_LE(mail.size(), MaxUrlLength + 2);
  EXPECT_EQ(mail.front(), L'"');
  EXPECT_EQ(mail.back(), L'"');
  EXPECT_EQ(mail.find(L'"', 1), mail.size() - 1);
  // The search keeps its closing key after a cut value.
  EXPECT_EQ(WebSearchAddress(big).substr(WebSearchAddress(big).size() - 10), L"&sa=Search");
}

TEST(QueryValues, BuildTheSearchThePostAndTheMailRequest) {
  EXPECT_EQ(WebSearchAddress(L"milk & eggs"),
            L"http://" + Addresses().SearchHost() + L"/cse?cx=" + Addresses().SearchEngineId() +
                L"&ie=UTF-8&q=milk%20%26%20eggs&sa=Search");
  EXPECT_EQ(PostAddress(L"50% off #sale"),
            L"https://" + Addresses().PostHost() + L"/intent/tweet?text=50%25%20off%20%23sale");
  EXPECT_EQ(MailRequestText(L"Shopping", L"milk\r\neggs"), L"\"mailto:?subject=Shopping&body=milk%0D%0Aeggs\"");
  EXPECT_EQ(MailRequestText(L"A&B", L"one\rtwo\nthree"),
            L"\"mailto:?subject=A%26B&body=one%0D%0Atwo%0D%0Athree\"");
}

}  // namespace
