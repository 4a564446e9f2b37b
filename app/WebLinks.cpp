// The program's addresses and the shell requests that open them.
#include "app/WebLinks.h"

#include "classlib/TextConv.h"

// Addresses under the reserved ".example" domain stand for the product's and the maker's until
// real ones exist; the search and post hosts are the providers' own.
String TAddresses::ProductSite() { return L"http://www.quillnote.example"; }
String TAddresses::MakerSite() { return L"http://www.orvane.example"; }
String TAddresses::SocialPage() { return L"http://www.facebook.com/quillnote.example"; }
String TAddresses::InfoMail() { return L"info@quillnote.example"; }
String TAddresses::SupportMail() { return L"support@orvane.example"; }
String TAddresses::SearchHost() { return L"www.google.com"; }
String TAddresses::SearchEngineId() { return L"quillnote-example-search"; }
String TAddresses::PostHost() { return L"twitter.com"; }

void OpenUrl(const String& Url) {
  seams::Shell().Execute(nullptr, L"open", L"\"" + Url + L"\"", nullptr, SW_SHOWNORMAL);
}

void OpenMailTo(const String& Address) {
  seams::Shell().ExecuteAnsi(nullptr, nullptr, WideToAnsi(L"mailto:" + Address), SW_SHOWDEFAULT);
}

String TaggedLink(const String& Site, const String& Path, const String& Tag) {
  return Site + Path + L"?referrer=" + Tag;
}
