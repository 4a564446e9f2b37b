#pragma once
// Where the program's web pages and mail addresses are, and how it opens them: every web link
// goes to the shell through OpenUrl, every mail link through the mail request. The addresses live
// here alone, behind a seam that tests (and the update check's test program) replace.
#include "classlib/Seams.h"

class TAddresses {
 public:
  virtual ~TAddresses() = default;
  // The product's and the maker's web sites: http addresses without a trailing slash.
  virtual String ProductSite();
  virtual String MakerSite();
  // The product's page on the social network (opened without the referrer tag).
  virtual String SocialPage();
  virtual String InfoMail();
  virtual String SupportMail();
  // The web search: the provider's host and the site-search engine's identifier.
  virtual String SearchHost();
  virtual String SearchEngineId();
  // The social network's host for posts.
  virtual String PostHost();
};

inline TAddresses& Addresses() { return seams::Get<TAddresses>(); }

// Hands the address, in double quotes, to the shell with the verb "open".
void OpenUrl(const String& Url);
// Hands "mailto:" + Address to the shell's default verb, in the ANSI code page.
void OpenMailTo(const String& Address);
// A site address with the program's referrer tag: Site + Path + "?referrer=" + Tag.
String TaggedLink(const String& Site, const String& Path, const String& Tag);
// A site address as menus and the About box show it: without its "http://" or "https://".
String ShownAddress(const String& Site);

// The longest address the program hands to the shell; a longer text value is cut to fit.
constexpr size_t MaxUrlLength = 2048;
// A query value as UTF-8 with every byte outside A-Z a-z 0-9 - . _ ~ written as %XX. At most
// Budget characters come out: the value is cut at a whole character (never inside an escape
// or a surrogate pair); an unpaired surrogate is sent as U+FFFD.
String EncodeQueryValue(const String& Value, size_t Budget = MaxUrlLength);
// The web search for Text (already trimmed), the post of Text on the social network, and the
// quoted mail request with a subject and a body (line breaks sent as CR LF): each address at most
// MaxUrlLength characters long.
String WebSearchAddress(const String& Text);
String PostAddress(const String& Text);
String MailRequestText(const String& Subject, const String& Body);
