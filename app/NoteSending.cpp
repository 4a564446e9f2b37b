// The note menu's commands that hand the note's text to the mail program and to the social
// network's post page.
#include "app/TFR_NOTE.h"
#include "app/WebLinks.h"

void TFR_NOTE::tbSendMailClick(TObject*) {
  seams::Shell().Execute(nullptr, L"open", MailRequestText(pnTitlePanel->Caption(), reEdit->Text()), L"",
                         SW_SHOWNORMAL);
}

void TFR_NOTE::tbTweetClick(TObject*) { OpenUrl(PostAddress(reEdit->Text())); }
