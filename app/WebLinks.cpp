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

String ShownAddress(const String& Site) {
  for (const wchar_t* scheme : {L"http://", L"https://"}) {
    const String prefix = scheme;
    if (Site.compare(0, prefix.size(), prefix) == 0) return Site.substr(prefix.size());
  }
  return Site;
}

namespace {

bool Unreserved(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'-' ||
         c == L'.' || c == L'_' || c == L'~';
}

// The UTF-8 escapes of one code point.
String EscapeCodePoint(char32_t cp) {
  unsigned char bytes[4];
  int n;
  if (cp < 0x80) {
    bytes[0] = static_cast<unsigned char>(cp);
    n = 1;
  } else if (cp < 0x800) {
    bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
    bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    n = 2;
  } else if (cp < 0x10000) {
    bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
    bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    n = 3;
  } else {
    bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
    bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    n = 4;
  }
  static const wchar_t hex[] = L"0123456789ABCDEF";
  String out;
  for (int i = 0; i < n; ++i) {
    out += L'%';
    out += hex[bytes[i] >> 4];
    out += hex[bytes[i] & 0xF];
  }
  return out;
}

size_t Remaining(size_t used) { return used < MaxUrlLength ? MaxUrlLength - used : 0; }

// Lone CR and lone LF become CR LF, as mail bodies expect.
String CrLfLines(const String& text) {
  String out;
  out.reserve(text.size() + 16);
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r') {
      out += L"\r\n";
      if (i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else if (c == L'\n') {
      out += L"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

String EncodeQueryValue(const String& Value, size_t Budget) {
  String out;
  for (size_t i = 0; i < Value.size();) {
    wchar_t c = Value[i];
    String piece;
    size_t used = 1;
    if (Unreserved(c)) {
      piece.assign(1, c);
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < Value.size() && Value[i + 1] >= 0xDC00 &&
               Value[i + 1] <= 0xDFFF) {
      piece = EscapeCodePoint(0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) +
                              (static_cast<char32_t>(Value[i + 1]) - 0xDC00));
      used = 2;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      piece = EscapeCodePoint(0xFFFD);
    } else {
      piece = EscapeCodePoint(c);
    }
    if (out.size() + piece.size() > Budget) break;
    out += piece;
    i += used;
  }
  return out;
}

String WebSearchAddress(const String& Text) {
  String head = L"http://" + Addresses().SearchHost() + L"/cse?cx=" + EncodeQueryValue(Addresses().SearchEngineId()) +
                L"&ie=UTF-8&q=";
  const String tail = L"&sa=Search";
  return head + EncodeQueryValue(Text, Remaining(head.size() + tail.size())) + tail;
}

String PostAddress(const String& Text) {
  String head = L"https://" + Addresses().PostHost() + L"/intent/tweet?text=";
  return head + EncodeQueryValue(Text, Remaining(head.size()));
}

String MailRequestText(const String& Subject, const String& Body) {
  String url = L"mailto:?subject=";
  url += EncodeQueryValue(Subject, Remaining(url.size() + 6));
  url += L"&body=";
  url += EncodeQueryValue(CrLfLines(Body), Remaining(url.size()));
  return L"\"" + url + L"\"";
}
