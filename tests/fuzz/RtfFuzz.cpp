// Fuzzes the rich-text check against the live rich-edit control. Each case is a small piece of rich
// text mutated from a corpus (bytes flipped, cut and repeated; control words with extreme and
// negative numbers; groups added). What the check refuses is counted; what it lets through is
// streamed into rich-edit controls in a child process, so that a crash is observed instead of
// suffered: loaded as a note is, pasted into the middle of a text, painted, asked for its formats,
// written out and, when the check passes what the control wrote, read back as a note saved after
// the paste would be at the next start. Every case the control did not survive (the child died or
// hung on it) is reported and kept as a file, and so is what the control wrote when the check
// refuses that. Cases are made from the seed and their number alone,
// so any of them can be made again.
//
//   rtf_fuzz [--cases N] [--first I] [--seed S] [--batch B] [--timeout SECONDS] [--out FOLDER]
//   rtf_fuzz --show I [--seed S]     writes case I to the standard output
//   rtf_fuzz --census [--cases N]    counts the cases the check refuses, running none
//   rtf_fuzz --try FILE              runs one file through the check and the control
//   rtf_fuzz --minimize FILE         shrinks a case that the check passes and the control does not
//                                    survive, while both still hold; writes FILE.min
//
// Built with the program, never run by the tests: a run of 20,000 cases takes minutes.
#include "classlib/Forms.h"
#include "classlib/RichEdit.h"
#include "classlib/Streams.h"

#include <richedit.h>

#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Making cases

class TRandom {
 public:
  explicit TRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
  bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
  template <class T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  uint64_t state_;
};

// Rich text as writers make it: what the control writes for a note, and the constructs other
// programs put on the clipboard.
const char* const kCorpus[] = {
    "{\\rtf1\\ansi\\ansicpg1254\\deff0\\deflang1055{\\fonttbl{\\f0\\fswiss\\fcharset162 Tahoma;}"
    "{\\f1\\fmodern\\fprq1\\fcharset0 Courier New;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;"
    "\\red0\\green176\\blue80;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs20 Plain \\b bold\\b0  \\i italic\\i0  "
    "\\ul under\\ulnone  \\strike struck\\strike0\\par\r\n\\cf1 red \\cf2 green\\cf0\\f1\\fs28  big\\f0\\fs20\\par\r\n}",
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Tahoma;}}{\\*\\generator Msftedit 5.41.21.2510;}\\viewkind4\\uc1"
    "\\pard{\\pntext\\f0\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent0{\\pntxtb\\'B7}}\\fi-200\\li200 one\\par"
    "{\\pntext\\f0\\'B7\\tab}two\\par\\pard\\qr right\\par\\qc centre\\par\\pard\\sl360\\slmult1 spaced\\par\r\n}",
    "{\\rtf1\\ansi\\deftab720\\pard\\tx720\\tqr\\tx2880\\tqc\\tx4320\\tldot\\tx5040 a\\tab b\\tab c\\tab d\\par"
    "\\pard\\fi720\\li-360\\ri360\\sb120\\sa240 indented\\line second line\\page after page\\par}",
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\trowd\\trgaph108\\trleft-108\\trrh300\\clbrdrt\\brdrs\\brdrw10"
    "\\clcbpat1\\cellx1500\\clvertalc\\cellx3000\\cellx4500\\pard\\intbl a\\cell b\\cell c\\cell\\row"
    "\\trowd\\trgaph108\\cellx2000\\cellx4000\\pard\\intbl d\\cell e\\cell\\row\\pard after\\par}",
    "{\\rtf1\\ansi\\ansicpg1251\\uc1 \\u1055?\\u1088?\\u1080? \\'e9\\'fd\\'80 \\u-3913?\\u8364?\\uc2\\u20013\\'a4\\'a4"
    " \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\~\\-\\_ \\{braces\\} \\\\ \\par}",
    "{\\rtf1\\ansi a{\\pict\\wmetafile8\\picw200\\pich200\\picwgoal120\\pichgoal120 "
    "010009000003220000000000050000000000050000000b0200000000050000000c02c800c80003000000000000}b"
    "{\\pict\\dibitmap0\\picw1\\pich1\\picwgoal15\\pichgoal15 28000000010000000100000001001800000000000400000000"
    "000000000000000000000000000000ff000000}c{\\pict\\pngblip\\picw4\\pich4 89504e470d0a1a0a0000000d4948445200}"
    "{\\pict\\emfblip\\picw10\\pich10 0100000034}{\\pict\\wmetafile8\\bin45 "
    "010009000003220000000000050000000000050000000b0200000000050000000c02c800c80003000000000000}\\par}",
    "{\\rtf1\\ansi{\\field{\\*\\fldinst{HYPERLINK \"http://example.com/\"}}{\\fldrslt{\\ul\\cf1 a link}}} and "
    "{\\field{\\*\\fldinst PAGE}{\\fldrslt 1}} {\\*\\bkmkstart mark}text{\\*\\bkmkend mark}\\par}",
    "{\\rtf1\\ansi{\\stylesheet{\\s0\\snext0 Normal;}{\\s1\\sbasedon0\\snext0\\b\\fs32 heading 1;}"
    "{\\*\\cs10\\additive Default Paragraph Font;}}{\\*\\listtable{\\list\\listtemplateid1{\\listlevel\\levelnfc0"
    "\\leveljc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}\\fi-360\\li720}\\listid1}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}\\pard\\s1 Head\\par"
    "\\pard\\ls1\\ilvl0{\\listtext 1.\\tab}item\\par}",
    "{\\rtf1\\ansi{\\info{\\title a title}{\\author someone}{\\creatim\\yr2024\\mo1\\dy2\\hr3\\min4}}"
    "{\\header header text\\par}{\\footer footer\\par}body{\\footnote\\chftn footnote}\\sect\\sectd\\cols2"
    "\\colsx720 columns\\column two\\par}",
    "{\\rtf1\\ansi\\pard\\brdrb\\brdrs\\brdrw10\\brsp20 \\box\\brdrdb ruled\\par\\pard\\shading5000\\cfpat1"
    "\\cbpat2 shaded\\par\\highlight3\\chcbpat2 marked\\highlight0 \\super up\\nosupersub \\sub dn\\nosupersub "
    "\\up6 raised\\up0 \\expndtw20 wide\\expndtw0 \\caps\\scaps\\outl\\shad\\v hidden\\v0\\par}",
    "{\\rtf1\\ansi{\\object\\objemb{\\*\\objclass Paint.Picture}\\objw100\\objh100{\\*\\objdata "
    "01050000020000000e0000005061696e742e506963747572650000000000}{\\result{\\pict\\wmetafile8\\picw10"
    "\\pich10 "
    "010009000003220000000000050000000000050000000b0200000000050000000c02c800c80003000000000000}}}\\par}",
    "{\\rtf1\\ansi\\trowd\\cellx3000\\cellx6000\\pard\\intbl outer\\cell\\pard\\intbl\\itap2 inner\\nestcell"
    "{\\*\\nesttableprops\\trowd\\cellx1000\\nestrow}{\\nonesttables\\par}\\pard\\intbl\\itap1\\cell\\row}",
    "{\\rtf1\\ansi\\rtlpar\\rtlch\\fs24 \\u1488?\\u1489? \\ltrch abc\\ltrpar\\par{\\*\\shppict{\\pict\\pngblip "
    "89504e47}}{\\nonshppict{\\pict\\wmetafile8 "
    "010009000003220000000000050000000000050000000b0200000000050000000c02c800c80003000000000000}}"
    "{\\shp{\\*\\shpinst\\shpleft0\\shptop0{\\sp{\\sn fillColor}{\\sv 255}}}}\\par}",
    "{\\urtf1\\ansi {\\b bold}\\par}",
    "{\\rtf1 plain}",
};

// Control words the control's reader knows, and some it does not.
const char* const kWords[] = {
    "par", "pard", "plain", "b", "i", "ul", "ulnone", "uld", "uldb", "ulw", "strike", "v", "caps", "scaps",
    "outl", "shad", "super", "sub", "nosupersub", "up", "dn", "fs", "f", "cf", "cb", "highlight", "chcbpat",
    "chshdng", "expnd", "expndtw", "kerning", "lang", "charscalex", "ql", "qr", "qc", "qj", "qd", "fi", "li", "ri",
    "sb", "sa", "sl", "slmult", "tx", "tb", "tqr", "tqc", "tqdec", "tldot", "tab", "line", "page", "sect",
    "sectd", "column", "cols", "colsx", "brdrt", "brdrb", "brdrl", "brdrr", "brdrs", "brdrdb", "brdrw",
    "brdrcf", "brsp", "box", "shading", "cfpat", "cbpat", "pn", "pnlvlblt", "pnlvlbody", "pnlvlcont",
    "pnstart", "pnindent", "pnf", "pntxtb", "pntxta", "pndec", "pnucltr", "pnlcrm", "pntext", "ls", "ilvl",
    "listtext", "trowd", "trgaph", "trleft", "trrh", "trqc", "cellx", "clbrdrt", "clvertalc", "clcbpat",
    "clmgf", "clmrg", "clvmgf", "clvmrg", "intbl", "itap", "cell", "row", "nestcell", "nestrow",
    "nesttableprops", "nonesttables", "lastrow", "trhdr", "trpaddl", "trwWidth", "clwWidth", "u", "uc", "ud",
    "upr", "bin", "pict", "wmetafile", "emfblip", "pngblip", "jpegblip", "dibitmap", "wbitmap", "picw",
    "pich", "picwgoal", "pichgoal", "picscalex", "picscaley", "piccropl", "piccropt", "wbmbitspixel",
    "wbmplanes", "wbmwidthbytes", "object", "objemb", "objdata", "objw", "objh", "result", "field",
    "fldinst", "fldrslt", "fonttbl", "fcharset", "fprq", "fnil", "froman", "fswiss", "colortbl", "red",
    "green", "blue", "stylesheet", "s", "cs", "ds", "sbasedon", "snext", "info", "title", "author", "deff",
    "deflang", "ansi", "mac", "pc", "ansicpg", "rtf", "urtf", "viewkind", "footnote", "header", "footer",
    "chftn", "bkmkstart", "bkmkend", "emdash", "endash", "bullet", "lquote", "rquote", "ldblquote",
    "rdblquote", "emspace", "zwj", "ltrmark", "rtlpar", "rtlch", "ltrch", "hich", "loch", "dbch", "af",
    "deftab", "margl", "paperw", "landscape", "protect", "keep", "keepn", "widctlpar", "outlinelevel",
    "shp", "shpinst", "sp", "sn", "sv", "listtable", "list", "listlevel", "levelnfc", "leveltext",
    "levelnumbers", "listoverridetable", "listoverride", "listid", "generator", "themedata", "xyzzy",
};

const char* const kSymbols[] = {"\\*", "\\~", "\\-", "\\_", "\\'", "\\'zz", "\\'0", "\\\\", "\\{", "\\}",
                                "\\|", "\\:", "\\\r\n", "\\\n", "\\\t", "\\ ", "\\0"};

const char* const kNumbers[] = {
    "0", "1", "-1", "2", "3", "7", "8", "15", "16", "31", "32", "33", "63", "64", "65", "127", "128", "255",
    "256", "1000", "1440", "-1440", "22000", "32767", "32768", "-32768", "-32769", "65535", "65536", "-65536",
    "2147483647", "-2147483648", "2147483648", "-2147483649", "4294967295", "4294967296", "99999999999",
    "-99999999999", "999999999999999999999", "-0", "--1", "-"};

const char kBytes[] = {'{', '}', '\\', ' ', '-', '0', '9', ';', '\r', '\n', '\'', '*', 'a', 'z', '\0', '\x80', '\xff'};

constexpr size_t kMaxCase = 64 * 1024;

// A place to change: anywhere, or (as often) just before a token, where a change makes a new one.
size_t Place(const std::string& s, TRandom& r) {
  if (s.empty()) return 0;
  size_t at = r.Below(s.size() + 1);
  if (r.Chance(50)) {
    while (at < s.size() && s[at] != '\\' && s[at] != '{' && s[at] != '}' && s[at] != ' ') ++at;
  }
  return at;
}

std::string Number(TRandom& r) {
  if (r.Chance(70)) return r.Pick(kNumbers);
  const int32_t n = static_cast<int32_t>(r.Next());
  return std::to_string(r.Chance(50) ? n : n % 10000);
}

void FlipBytes(std::string& s, TRandom& r, std::string& how) {
  if (s.empty()) return;
  const size_t n = 1 + r.Below(8);
  for (size_t k = 0; k < n; ++k) {
    const size_t at = r.Below(s.size());
    switch (r.Below(3)) {
      case 0: s[at] = static_cast<char>(r.Next()); break;
      case 1: s[at] = r.Pick(kBytes); break;
      default: s[at] = static_cast<char>(s[at] ^ (1 << r.Below(8))); break;
    }
  }
  how += " flip" + std::to_string(n);
}

void Cut(std::string& s, TRandom& r, std::string& how) {
  if (s.empty()) return;
  const size_t at = r.Below(s.size());
  const size_t length = 1 + r.Below(r.Chance(70) ? 16 : s.size() - at);
  s.erase(at, length);
  how += " cut" + std::to_string(length);
}

void Repeat(std::string& s, TRandom& r, std::string& how) {
  if (s.empty()) return;
  const size_t at = Place(s, r) % s.size();
  const size_t length = 1 + r.Below(std::min<size_t>(r.Chance(70) ? 12 : 200, s.size() - at));
  size_t times = 1 + r.Below(r.Chance(80) ? 8 : 2000);
  times = std::min(times, (kMaxCase - std::min(kMaxCase, s.size())) / length);
  const std::string piece = s.substr(at, length);
  std::string run;
  for (size_t k = 0; k < times; ++k) run += piece;
  s.insert(at, run);
  how += " repeat" + std::to_string(length) + "x" + std::to_string(times);
}

void InsertWord(std::string& s, TRandom& r, std::string& how) {
  std::string word;
  if (r.Chance(15)) {
    word = r.Pick(kSymbols);
  } else {
    word = std::string("\\") + r.Pick(kWords);
    if (r.Chance(75)) word += Number(r);
    if (r.Chance(60)) word += ' ';
  }
  s.insert(Place(s, r), word);
  how += " word[" + word + "]";
}

// Gives a control word that has a number another one, extreme or negative.
void ChangeNumber(std::string& s, TRandom& r, std::string& how) {
  std::vector<std::pair<size_t, size_t>> numbers;  // start, length
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != '\\' || !isalpha(static_cast<unsigned char>(s[i + 1]))) continue;
    size_t j = i + 1;
    while (j < s.size() && isalpha(static_cast<unsigned char>(s[j]))) ++j;
    size_t k = j;
    if (k < s.size() && s[k] == '-') ++k;
    while (k < s.size() && isdigit(static_cast<unsigned char>(s[k]))) ++k;
    numbers.push_back({j, k - j});
    i = j - 1;
  }
  if (numbers.empty()) return InsertWord(s, r, how);
  const auto [at, length] = numbers[r.Below(numbers.size())];
  const std::string number = r.Chance(30) && length > 0 && s[at] != '-' ? "-" + s.substr(at, length) : Number(r);
  s.replace(at, length, number);
  how += " number[" + number + "]";
}

void AddGroups(std::string& s, TRandom& r, std::string& how) {
  const size_t at = Place(s, r);
  switch (r.Below(5)) {
    case 0: {  // a range made a group
      const size_t end = at + r.Below(s.size() - at + 1);
      s.insert(end, "}");
      s.insert(at, "{");
      how += " group";
      break;
    }
    case 1: {  // nested groups, closed or not
      const size_t depth = 1 + r.Below(r.Chance(80) ? 12 : 40);
      s.insert(at, std::string(depth, '{') + "x" + (r.Chance(70) ? std::string(depth, '}') : ""));
      how += " nest" + std::to_string(depth);
      break;
    }
    case 2:
      s.insert(at, "}");
      how += " close";
      break;
    case 3: {
      const std::string group = std::string("{\\*\\") + r.Pick(kWords) + " " + (r.Chance(50) ? Number(r) : "x") + "}";
      s.insert(at, group);
      how += " dest[" + group + "]";
      break;
    }
    default: {
      const std::string group = std::string("{\\") + r.Pick(kWords) + Number(r) + " y}";
      s.insert(at, group);
      how += " wordgroup[" + group + "]";
      break;
    }
  }
}

void Splice(std::string& s, TRandom& r, std::string& how) {
  const std::string other = r.Pick(kCorpus);
  const size_t from = r.Below(other.size());
  const size_t length = 1 + r.Below(std::min<size_t>(120, other.size() - from));
  s.insert(Place(s, r), other.substr(from, length));
  how += " splice" + std::to_string(length);
}

using TMutation = void (*)(std::string&, TRandom&, std::string&);
const TMutation kMutations[] = {FlipBytes, Cut, Repeat, InsertWord, InsertWord, ChangeNumber, ChangeNumber,
                                AddGroups, Splice};

std::string MakeCase(uint64_t seed, uint64_t index, std::string* description = nullptr) {
  TRandom r(seed * 0x100000001B3ull ^ (index + 1) * 0x9E3779B97F4A7C15ull);
  const size_t base = r.Below(std::size(kCorpus));
  std::string s = kCorpus[base];
  std::string how = "corpus" + std::to_string(base);
  const size_t steps = 1 + r.Below(4);
  for (size_t k = 0; k < steps; ++k) {
    r.Pick(kMutations)(s, r, how);
    if (s.size() > kMaxCase) s.resize(kMaxCase);
  }
  if (description) *description = how;
  return s;
}

// ---------------------------------------------------------------------------------------------
// The child: the cases against the control

std::string ReadCaseFile(const std::wstring& path) {
  TFileStream file(path, fmOpenRead | fmShareDenyNone);
  return file.ReadRest();
}

void WriteCaseFile(const std::wstring& path, const std::string& bytes) {
  TFileStream file(path, fmCreate);
  file.WriteBytes(bytes);
}


struct TBytesIn {
  const std::string* Bytes;
  size_t At;
};

DWORD CALLBACK ReadBytes(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  auto* in = reinterpret_cast<TBytesIn*>(cookie);
  const size_t n = std::min(static_cast<size_t>(count), in->Bytes->size() - in->At);
  std::memcpy(buffer, in->Bytes->data() + in->At, n);
  in->At += n;
  *done = static_cast<LONG>(n);
  return 0;
}

// Streams rich text into the selection, as a paste does.
void InsertAtSelection(TRichEdit& editor, const std::string& rtf) {
  TBytesIn in{&rtf, 0};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&in);
  es.pfnCallback = ReadBytes;
  SendMessageW(editor.Handle(), EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&es));
}

class TChild {
 public:
  TChild() {
    form_ = new TForm(Application);
    form_->SetBounds(40, 40, 760, 320);
    form_->Show();
  }
  ~TChild() { form_->Free(); }

  // Returns whether the check passed what the control wrote; what it refused is kept in `written`.
  bool Run(const std::string& rtf, std::string& written) {
    // Loaded as a note is.
    TRichEdit* note = MakeEditor(0);
    note->SetRtfText(rtf);
    Exercise(*note);
    // Pasted into the middle of a text.
    TRichEdit* pasted = MakeEditor(250);
    pasted->SetText(L"before after");
    pasted->SetSelStart(7);
    InsertAtSelection(*pasted, rtf);
    Exercise(*pasted);
    // Saved after the paste, and read at the next start.
    written = pasted->RtfText();
    const bool readable = IsReadableRtf(written);
    TRichEdit* reloaded = nullptr;
    if (readable) {
      reloaded = MakeEditor(500);
      reloaded->SetRtfText(written);
      Exercise(*reloaded);
    }
    for (TRichEdit* editor : {note, pasted, reloaded})
      if (editor) editor->Free();
    return readable;
  }

 private:
  TRichEdit* MakeEditor(int left) {
    auto* editor = new TRichEdit(form_);
    editor->SetParent(form_);
    editor->SetBounds(left, 0, 240, 280);
    editor->SetBorderStyle(TEditBorderStyle::bsNone);
    editor->SetScrollBars(TScrollStyle::ssVertical);
    editor->Font().SetName(L"Tahoma");
    editor->Font().SetSize(10);
    editor->Font().SetCharset(TURKISH_CHARSET);
    return editor;
  }

  // What a note's control goes through once it holds the text: painting, scrolling, the editor
  // menu's questions about the selection, typing.
  static void Exercise(TRichEdit& editor) {
    HWND wnd = editor.Handle();
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    SendMessageW(wnd, WM_VSCROLL, SB_BOTTOM, 0);
    editor.SelectAll();
    (void)editor.SelAttributes().Style();
    (void)editor.Paragraph().Alignment();
    (void)editor.Paragraph().Numbering();
    editor.SetSelStart(editor.SelStart() + editor.SelLength());
    SendMessageW(wnd, WM_CHAR, L'k', 0);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }

  TForm* form_ = nullptr;
};

void Say(const char* format, unsigned long long value, const char* tail = "") {
  std::printf(format, value, tail);
  std::fflush(stdout);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  std::printf("crash %08lx %p\n", static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
              info->ExceptionRecord->ExceptionAddress);
  std::fflush(stdout);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

void StartChild() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(ReportCrash);
  InitializeClassLibrary();
  Application->Initialize();
}

// Runs one case: "begin I" before it, "end I" (or "end I unreadable", when the check refuses what
// the control wrote, which is then kept in the file `written`) after it.
void RunCase(TChild& child, uint64_t index, const std::string& rtf, const std::wstring& written) {
  Say("begin %llu\n", index);
  std::string text;
  const bool readable = child.Run(rtf, text);
  if (!readable) WriteCaseFile(written, text);
  Say("end %llu%s\n", index, readable ? "" : " unreadable");
}

// Runs the cases first..last-1 that the check passes, then says "done".
int RunChild(uint64_t seed, uint64_t first, uint64_t last, const std::wstring& out) {
  StartChild();
  {
    TChild child;
    for (uint64_t i = first; i < last; ++i) {
      const std::string rtf = MakeCase(seed, i);
      if (IsReadableRtf(rtf)) RunCase(child, i, rtf, out + L"\\case-" + std::to_wstring(i) + L".written.rtf");
    }
  }
  std::printf("done\n");
  std::fflush(stdout);
  FinalizeClassLibrary();
  return 0;
}

int RunChildOnFile(const std::wstring& path) {
  StartChild();
  const std::string rtf = ReadCaseFile(path);
  {
    TChild child;
    RunCase(child, 0, rtf, path + L".written.rtf");
  }
  std::printf("done\n");
  std::fflush(stdout);
  FinalizeClassLibrary();
  return 0;
}

// ---------------------------------------------------------------------------------------------
// The parent: children started, watched, and started again after a crash

// A child process and the lines it writes, read by a thread of their own so that a hang shows as
// a wait that runs out.
class TChildProcess {
 public:
  explicit TChildProcess(const std::wstring& arguments) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &sa, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      std::fprintf(stderr, "cannot start the child (%lu)\n", GetLastError());
      std::exit(2);
    }
    CloseHandle(writeEnd);
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pipe_ = readEnd;
    reader_ = std::thread([this] { ReadLines(); });
  }
  ~TChildProcess() {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, INFINITE);
    reader_.join();
    CloseHandle(pipe_);
    CloseHandle(process_);
  }
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // The next line, nothing at the end of the output, or nothing with `timedOut` set.
  std::optional<std::string> NextLine(int seconds, bool& timedOut) {
    std::unique_lock<std::mutex> lock(mutex_);
    timedOut = !ready_.wait_for(lock, std::chrono::seconds(seconds), [this] { return !lines_.empty() || ended_; });
    if (timedOut || lines_.empty()) return std::nullopt;
    std::string line = lines_.front();
    lines_.pop_front();
    return line;
  }

 private:
  void ReadLines() {
    std::string pending;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      pending.append(buffer, got);
      for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
        std::string line = pending.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line);
        ready_.notify_one();
      }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    ready_.notify_one();
  }

  HANDLE process_ = nullptr;
  HANDLE pipe_ = nullptr;
  std::thread reader_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::string> lines_;
  bool ended_ = false;
};

// How the control fared with one case that the check passed.
enum class TOutcome { Survived, Unreadable, Crashed, Hung };

struct TFailure {
  uint64_t Index;
  TOutcome Outcome;
  std::string Detail;  // the exception, when the child could report it
};

// Runs a child over the cases and reads its lines; at a crash or a hang the case being run is a
// failure, and the child is started again after it. Returns the outcome of every case it ran.
class TWatcher {
 public:
  TWatcher(int timeoutSeconds) : timeout_(timeoutSeconds) {}

  // Runs `arguments` until "done". After a failed case, `restart(next)` gives the arguments that
  // go on with the case after it, or nothing to stop.
  template <class Restart>
  void Run(std::wstring arguments, Restart&& restart) {
    for (;;) {
      std::optional<uint64_t> next = RunOnce(arguments);
      if (!next) return;
      ++restarts;
      std::optional<std::wstring> more = restart(*next);
      if (!more) return;
      arguments = *more;
    }
  }

  std::vector<TFailure> failures;
  uint64_t ran = 0;
  int restarts = 0;

 private:
  // One child to its end; the case to go on with when it ended before "done".
  std::optional<uint64_t> RunOnce(const std::wstring& arguments) {
    auto child = std::make_unique<TChildProcess>(arguments);
    bool running = false, ended = false, hung = false;
    uint64_t current = 0, lastEnded = 0;
    std::string crash;
    for (;;) {
      std::optional<std::string> line = child->NextLine(timeout_, hung);
      if (!line) break;
      unsigned long long index = 0;
      char tail[64] = "";
      if (std::sscanf(line->c_str(), "begin %llu", &index) == 1) {
        running = true;
        current = index;
        crash.clear();
      } else if (std::sscanf(line->c_str(), "end %llu %63s", &index, tail) >= 1) {
        ++ran;
        if (std::strcmp(tail, "unreadable") == 0) failures.push_back({index, TOutcome::Unreadable, ""});
        running = false;
        ended = true;
        lastEnded = index;
      } else if (line->rfind("crash", 0) == 0) {
        crash = *line;
      } else if (*line == "done") {
        return std::nullopt;
      }
    }
    if (!running) {
      // Gone between cases: nothing of the control ran then.
      std::fprintf(stderr, "the child ended between cases\n");
      if (!ended) std::exit(2);
      return lastEnded + 1;
    }
    ++ran;
    failures.push_back({current, hung ? TOutcome::Hung : TOutcome::Crashed, crash});
    return current + 1;
  }

  int timeout_;
};

const char* OutcomeName(TOutcome outcome) {
  switch (outcome) {
    case TOutcome::Crashed: return "crash";
    case TOutcome::Hung: return "hang";
    case TOutcome::Unreadable: return "written text refused";
    default: return "survived";
  }
}

struct TOptions {
  uint64_t Cases = 20000;
  uint64_t First = 0;
  uint64_t Seed = 1;
  uint64_t Batch = 1000;
  // A case may take a while: the control lays out a paragraph that the check lets through in
  // seconds, in each of its three editors.
  int Timeout = 90;
  std::wstring Out = L"rtf-fuzz";
};

std::wstring ChildArguments(const TOptions& o, uint64_t first, uint64_t last) {
  return L"--child " + std::to_wstring(o.Seed) + L" " + std::to_wstring(first) + L" " + std::to_wstring(last) +
         L" \"" + o.Out + L"\"";
}

int Fuzz(const TOptions& o) {
  CreateDirectoryW(o.Out.c_str(), nullptr);
  const auto started = std::chrono::steady_clock::now();
  uint64_t refused = 0;
  for (uint64_t i = o.First; i < o.First + o.Cases; ++i)
    if (!IsReadableRtf(MakeCase(o.Seed, i))) ++refused;
  TWatcher watcher(o.Timeout);
  const uint64_t end = o.First + o.Cases;
  for (uint64_t first = o.First; first < end; first += o.Batch) {
    const uint64_t last = std::min(end, first + o.Batch);
    watcher.Run(ChildArguments(o, first, last), [&](uint64_t next) -> std::optional<std::wstring> {
      if (next >= last) return std::nullopt;
      return ChildArguments(o, next, last);
    });
    std::fprintf(stderr, "%llu of %llu cases made, %zu failures so far\n",
                 static_cast<unsigned long long>(last - o.First), static_cast<unsigned long long>(o.Cases),
                 watcher.failures.size());
  }
  std::map<TOutcome, int> counts;
  for (const TFailure& f : watcher.failures) {
    ++counts[f.Outcome];
    std::string how;
    const std::string rtf = MakeCase(o.Seed, f.Index, &how);
    // A case whose written text the check refused has that text beside it (case-N.written.rtf).
    WriteCaseFile(o.Out + L"\\case-" + std::to_wstring(f.Index) + L".rtf", rtf);
    std::printf("case %llu: %s %s (%zu bytes;%s)\n", static_cast<unsigned long long>(f.Index),
                OutcomeName(f.Outcome), f.Detail.c_str(), rtf.size(), how.c_str());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf(
      "seed %llu, cases %llu..%llu: %llu made, %llu refused by the check, %llu passed and run; "
      "%d crashes, %d hangs, %d with their written text refused; %d child restarts; %.0f s\n",
      static_cast<unsigned long long>(o.Seed), static_cast<unsigned long long>(o.First),
      static_cast<unsigned long long>(end - 1), static_cast<unsigned long long>(o.Cases),
      static_cast<unsigned long long>(refused), static_cast<unsigned long long>(watcher.ran),
      counts[TOutcome::Crashed], counts[TOutcome::Hung], counts[TOutcome::Unreadable], watcher.restarts, seconds);
  return counts[TOutcome::Crashed] + counts[TOutcome::Hung] > 0 ? 1 : 0;
}

// Whether the control fails on the file (the check passing it); what the control wrote, when the
// check refuses it, goes into FILE.written.rtf.
std::optional<TOutcome> TryFile(const std::wstring& path, int timeout) {
  if (!IsReadableRtf(ReadCaseFile(path))) return std::nullopt;
  TWatcher watcher(timeout);
  watcher.Run(L"--child-file \"" + path + L"\"", [](uint64_t) { return std::optional<std::wstring>(); });
  for (const TFailure& f : watcher.failures)
    if (f.Outcome != TOutcome::Unreadable) return f.Outcome;
  return TOutcome::Survived;
}

// Shrinks a failing case: drops pieces, halving their size, while the check still passes the rest
// and the control still fails on it.
int Minimize(const std::wstring& path, int timeout) {
  std::string rtf = ReadCaseFile(path);
  const std::wstring trial = path + L".try";
  auto fails = [&](const std::string& candidate) {
    WriteCaseFile(trial, candidate);
    const std::optional<TOutcome> outcome = TryFile(trial, timeout);
    return outcome && (*outcome == TOutcome::Crashed || *outcome == TOutcome::Hung);
  };
  if (!fails(rtf)) {
    std::fprintf(stderr, "the control survives this case, or the check refuses it\n");
    return 1;
  }
  for (size_t piece = rtf.size() / 2; piece >= 1; piece /= 2) {
    for (size_t at = 0; at < rtf.size();) {
      std::string candidate = rtf;
      candidate.erase(at, piece);
      if (fails(candidate)) {
        rtf = candidate;
        std::fprintf(stderr, "%zu bytes\n", rtf.size());
      } else {
        at += piece;
      }
    }
  }
  DeleteFileW(trial.c_str());
  WriteCaseFile(path + L".min", rtf);
  std::printf("%s\n", rtf.c_str());
  return 0;
}

uint64_t Arg(wchar_t* text) { return std::wcstoull(text, nullptr, 10); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"--child" && argc == 6) return RunChild(Arg(argv[2]), Arg(argv[3]), Arg(argv[4]), argv[5]);
  if (mode == L"--child-file" && argc == 3) return RunChildOnFile(argv[2]);
  TOptions o;
  std::optional<uint64_t> show;
  bool census = false;
  std::wstring tryFile, minimizeFile;
  for (int i = 1; i < argc; ++i) {
    const std::wstring name = argv[i];
    if (name == L"--census") {
      census = true;
      continue;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "%ls needs a value\n", name.c_str());
      return 2;
    }
    wchar_t* value = argv[++i];
    if (name == L"--cases") o.Cases = Arg(value);
    else if (name == L"--first") o.First = Arg(value);
    else if (name == L"--seed") o.Seed = Arg(value);
    else if (name == L"--batch") o.Batch = std::max<uint64_t>(1, Arg(value));
    else if (name == L"--timeout") o.Timeout = static_cast<int>(Arg(value));
    else if (name == L"--out") o.Out = value;
    else if (name == L"--show") show = Arg(value);
    else if (name == L"--try") tryFile = value;
    else if (name == L"--minimize") minimizeFile = value;
    else {
      std::fprintf(stderr, "unknown option %ls\n", name.c_str());
      return 2;
    }
  }
  if (show) {
    std::string how;
    const std::string rtf = MakeCase(o.Seed, *show, &how);
    std::fwrite(rtf.data(), 1, rtf.size(), stdout);
    std::fprintf(stderr, "\n%s; the check %s it\n", how.c_str(), IsReadableRtf(rtf) ? "passes" : "refuses");
    return 0;
  }
  if (census) {
    uint64_t refused = 0;
    for (uint64_t i = o.First; i < o.First + o.Cases; ++i)
      if (!IsReadableRtf(MakeCase(o.Seed, i))) ++refused;
    std::printf("seed %llu: %llu of %llu cases refused by the check\n", static_cast<unsigned long long>(o.Seed),
                static_cast<unsigned long long>(refused), static_cast<unsigned long long>(o.Cases));
    return 0;
  }
  if (!tryFile.empty()) {
    const std::optional<TOutcome> outcome = TryFile(tryFile, o.Timeout);
    std::printf("%s\n", outcome ? OutcomeName(*outcome) : "refused by the check");
    return outcome && *outcome != TOutcome::Survived ? 1 : 0;
  }
  if (!minimizeFile.empty()) return Minimize(minimizeFile, o.Timeout);
  return Fuzz(o);
}
