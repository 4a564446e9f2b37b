// The note menu's Send Mail and post commands: the note's title and text reach the shell as one
// encoded address.
#include "AppFixture.h"

#include "app/WebLinks.h"

using namespace app_testing;
using testing_support::PumpMessages;

class NoteMenuLinksTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetCursorPos(1, 1);
    CreateMainForm();
    testing_support::Shell().Requests.clear();
  }
  const testing_support::TRecordingShell::Request& OnlyRequest() {
    EXPECT_EQ(1u, testing_support::Shell().Requests.size());
    return testing_support::Shell().Requests.back();
  }
  testing_support::TMenuDriver whileOpen_;
};

TEST_F(NoteMenuLinksTest, SendMailFromTheOpenMenuHandsTheEncodedMailRequestToTheShell) {
  TFR_NOTE* note = NewNote(L"milk\r\neggs");
  note->pnTitlePanel->SetCaption(L"Shopping");
  // From the bottom: Close, Tweet This!, Send Mail.
  whileOpen_.PostKeys({VK_UP, VK_UP, VK_UP, VK_RETURN});
  EXPECT_EQ(note->tbSendMail, note->pmSettings->PopupEx(200, 200, false));
  PumpMessages(0);
  ASSERT_EQ(1u, testing_support::Shell().Requests.size());
  const auto& r = OnlyRequest();
  EXPECT_EQ(L"\"mailto:?subject=Shopping&body=milk%0D%0Aeggs\"", r.File);
  EXPECT_EQ(L"open", r.Verb);
  EXPECT_EQ(L"", r.Parameters);
  EXPECT_EQ(SW_SHOWNORMAL, r.Show);
  EXPECT_FALSE(r.Ansi);
}

TEST_F(NoteMenuLinksTest, MailAndPostEncodeWhatWouldBreakTheAddressAndStayWithinItsLength) {
  struct {
    String title, text;
    String mail, post;
  } cases[] = {
      {L"A&B = \"C\"", L"50% off #sale + more",
       L"\"mailto:?subject=A%26B%20%3D%20%22C%22&body=50%25%20off%20%23sale%20%2B%20more\"",
       L"\"https://twitter.com/intent/tweet?text=50%25%20off%20%23sale%20%2B%20more\""},
      {L"Eink\u00E4ufe", L"\u20AC \U0001F600\r\nnext",
       L"\"mailto:?subject=Eink%C3%A4ufe&body=%E2%82%AC%20%F0%9F%98%80%0D%0Anext\"",
       L"\"https://twitter.com/intent/tweet?text=%E2%82%AC%20%F0%9F%98%80%0D%0Anext\""},
  };
  for (const auto& c : cases) {
    TFR_NOTE* note = NewNote(c.text);
    note->pnTitlePanel->SetCaption(c.title);
    note->tbSendMail->Click();
    note->tbTweet->Click();
    auto& requests = testing_support::Shell().Requests;
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ(c.mail, requests[0].File);
    EXPECT_EQ(c.post, requests[1].File);
    EXPECT_EQ(L"open", requests[1].Verb);
    EXPECT_EQ(SW_SHOWNORMAL, requests[1].Show);
    EXPECT_FALSE(requests[1].Ansi);
    requests.clear();
    note->Free();
  }

  TFR_NOTE* big = NewNote(String(10000, L'&'));
  big->tbSendMail->Click();
  big->tbTweet->Click();
  auto& requests = testing_support::Shell().Requests;
  ASSERT_EQ(2u, requests.size());
  for (const auto& r : requests) {
    EXPECT_LE(r.File.size(), MaxUrlLength + 2) << "within the limit, with its quotes";
    EXPECT_GE(r.File.size(), MaxUrlLength - 2);
    EXPECT_EQ(L'"', r.File.back());
    EXPECT_EQ(r.File.size() - 1, r.File.find(L'"', 1)) << "no quote inside";
  }
}
