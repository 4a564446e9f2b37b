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
