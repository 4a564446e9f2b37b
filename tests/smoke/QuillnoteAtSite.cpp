// The program as shipped, from the same libraries, but with the product's web site taken from its
// command line: the end-to-end tests point its update check and download page at a server of
// their own. The shipped program's entry keeps its address fixed.
#include "app/QuillnoteMain.h"
#include "app/WebLinks.h"

#include <shellapi.h>

namespace {

class TSiteFromCommandLine : public TAddresses {
 public:
  explicit TSiteFromCommandLine(String site) : site_(std::move(site)) {}
  String ProductSite() override { return site_; }

 private:
  String site_;
};

// The first argument, or nothing.
String SiteArgument() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return {};
  String site = argc >= 2 ? argv[1] : L"";
  LocalFree(argv);
  return site;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  const String site = SiteArgument();
  if (site.empty()) return 2;
  TSiteFromCommandLine addresses(site);
  seams::Scoped<TAddresses> use(addresses);
  return QuillnoteMain();
}
