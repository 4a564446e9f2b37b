#include "classlib/RichEdit.h"

#include "classlib/Clipboard.h"
#include "classlib/Streams.h"
#include "classlib/TextConv.h"

#include <richedit.h>
#include <richole.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <string_view>

namespace {

// Loads a library from the system folder only; systems without the search flags get the
// library by its full path there.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n > 0 && n < MAX_PATH) module = LoadLibraryW((String(folder) + L"\\" + name).c_str());
  }
  return module;
}

struct TRichEditLibrary {
  const wchar_t* ClassName = nullptr;
  DWORD Error = 0;
};

// The library stays loaded for the life of the process: windows of its class may exist
// until the very end.
const TRichEditLibrary& RichEditLibrary() {
  static const TRichEditLibrary library = [] {
    static const struct {
      const wchar_t* Dll;
      const wchar_t* Class;
    } kKinds[] = {{L"msftedit.dll", MSFTEDIT_CLASS}, {L"riched20.dll", RICHEDIT_CLASSW}};
    TRichEditLibrary found;
    for (const auto& kind : kKinds) {
      if (LoadSystemLibrary(kind.Dll)) {
        found.ClassName = kind.Class;
        return found;
      }
      found.Error = GetLastError();
    }
    return found;
  }();
  return library;
}

// What the stream callbacks work on: the stream, and the exception that stopped it.
struct TStreamCookie {
  TStream* Stream;
  std::exception_ptr Error;
};

DWORD CALLBACK StreamInCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  auto* c = reinterpret_cast<TStreamCookie*>(cookie);
  try {
    *done = static_cast<LONG>(c->Stream->Read(buffer, count));
    return 0;
  } catch (...) {
    c->Error = std::current_exception();
    *done = 0;
    return 1;
  }
}

DWORD CALLBACK StreamOutCallback(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
  auto* c = reinterpret_cast<TStreamCookie*>(cookie);
  try {
    c->Stream->WriteBuffer(buffer, count);
    *done = count;
    return 0;
  } catch (...) {
    c->Error = std::current_exception();
    *done = 0;
    return 1;
  }
}

// Sends one streaming message with `callback` on `stream`; what the stream raised inside the
// callback is raised again here, outside the system's frames.
void RunStream(HWND wnd, UINT message, unsigned format, EDITSTREAMCALLBACK callback,
               TStream& stream) {
  TStreamCookie cookie{&stream, nullptr};
  EDITSTREAM es{};
  es.dwCookie = reinterpret_cast<DWORD_PTR>(&cookie);
  es.pfnCallback = callback;
  SendMessageW(wnd, message, format, reinterpret_cast<LPARAM>(&es));
  if (cookie.Error) std::rethrow_exception(cookie.Error);
}

constexpr LONG kTwipsPerPoint = 20;
constexpr DWORD kStyleMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;

constexpr struct {
  TFontStyles Style;
  DWORD Effect;
} kStyleEffects[] = {
    {fsBold, CFE_BOLD}, {fsItalic, CFE_ITALIC}, {fsUnderline, CFE_UNDERLINE}, {fsStrikeOut, CFE_STRIKEOUT}};

DWORD StyleToEffects(TFontStyles style) {
  DWORD effects = 0;
  for (const auto& pair : kStyleEffects)
    if (style & pair.Style) effects |= pair.Effect;
  return effects;
}

TFontStyles EffectsToStyle(DWORD effects) {
  TFontStyles style = 0;
  for (const auto& pair : kStyleEffects)
    if (effects & pair.Effect) style |= pair.Style;
  return style;
}

// Change notifications stay quiet while the control restores its own content.
class TChangeLock {
 public:
  explicit TChangeLock(int& count) : count_(count) { ++count_; }
  ~TChangeLock() { --count_; }
  TChangeLock(const TChangeLock&) = delete;
  TChangeLock& operator=(const TChangeLock&) = delete;

 private:
  int& count_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TTextAttributes

struct TTextAttributes::Format : CHARFORMAT2W {
  explicit Format(DWORD mask = 0) : CHARFORMAT2W{} {
    cbSize = sizeof(CHARFORMAT2W);
    dwMask = mask;
  }
};

void TTextAttributes::Get(Format& format) const {
  WPARAM which = type_ == TAttributeType::atSelected ? SCF_SELECTION : SCF_DEFAULT;
  editor_.Send(EM_GETCHARFORMAT, which, reinterpret_cast<LPARAM>(&format));
}

void TTextAttributes::Set(Format& format) {
  auto lp = reinterpret_cast<LPARAM>(&format);
  if (type_ == TAttributeType::atSelected) {
    editor_.Send(EM_SETCHARFORMAT, SCF_SELECTION, lp);
    return;
  }
  editor_.Send(EM_SETCHARFORMAT, SCF_DEFAULT, lp);
  // An empty control types in the format of its final paragraph mark, which some versions
  // of the control leave as it was.
  if (editor_.GetTextLength() == 0) editor_.Send(EM_SETCHARFORMAT, SCF_ALL, lp);
}

String TTextAttributes::Name() const {
  Format f;
  Get(f);
  return f.szFaceName;
}

void TTextAttributes::SetName(const String& name) {
  Format f(CFM_FACE);
  name.copy(f.szFaceName, LF_FACESIZE - 1);
  Set(f);
}

int TTextAttributes::Size() const {
  Format f;
  Get(f);
  return f.yHeight / kTwipsPerPoint;
}

void TTextAttributes::SetSize(int points) {
  Format f(CFM_SIZE);
  f.yHeight = points * kTwipsPerPoint;
  Set(f);
}

TFontStyles TTextAttributes::Style() const {
  Format f;
  Get(f);
  return EffectsToStyle(f.dwEffects);
}

void TTextAttributes::SetStyle(TFontStyles style) {
  Format f(kStyleMask);
  f.dwEffects = StyleToEffects(style);
  Set(f);
}

void TTextAttributes::SetStyleOf(TFontStyles styles, bool present) {
  Format f(StyleToEffects(styles));
  f.dwEffects = present ? f.dwMask : 0;
  Set(f);
}

TColor TTextAttributes::Color() const {
  Format f;
  Get(f);
  if (f.dwEffects & CFE_AUTOCOLOR) return clWindowText;
  return static_cast<TColor>(f.crTextColor);
}

void TTextAttributes::SetColor(TColor color) {
  Format f(CFM_COLOR);
  if (color == clWindowText || color == clDefault) f.dwEffects = CFE_AUTOCOLOR;
  else f.crTextColor = ColorToGdi(color);
  Set(f);
}

TFontCharset TTextAttributes::Charset() const {
  Format f;
  Get(f);
  return f.bCharSet;
}

void TTextAttributes::SetCharset(TFontCharset charset) {
  Format f(CFM_CHARSET);
  f.bCharSet = charset;
  Set(f);
}

void TTextAttributes::Assign(const TFont& font) {
  Format f(CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | kStyleMask);
  font.Name().copy(f.szFaceName, LF_FACESIZE - 1);
  f.yHeight = font.Size() * kTwipsPerPoint;
  f.dwEffects = StyleToEffects(font.Style());
  if (font.Color() == clWindowText || font.Color() == clDefault) f.dwEffects |= CFE_AUTOCOLOR;
  else f.crTextColor = ColorToGdi(font.Color());
  f.bCharSet = font.Charset();
  Set(f);
}

void TTextAttributes::AssignTo(TFont& font) const {
  Format f;
  Get(f);
  font.SetName(f.szFaceName);
  font.SetSize(f.yHeight / kTwipsPerPoint);
  font.SetStyle(EffectsToStyle(f.dwEffects));
  font.SetColor(f.dwEffects & CFE_AUTOCOLOR ? clWindowText : static_cast<TColor>(f.crTextColor));
  font.SetCharset(f.bCharSet);
}

// ---------------------------------------------------------------------------------------------
// TParaAttributes

struct TParaAttributes::Format : PARAFORMAT2 {
  explicit Format(DWORD mask = 0) : PARAFORMAT2{} {
    cbSize = sizeof(PARAFORMAT2);
    dwMask = mask;
  }
};

void TParaAttributes::Get(Format& format) const {
  editor_.Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void TParaAttributes::Set(Format& format) {
  editor_.Send(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

TAlignment TParaAttributes::Alignment() const {
  Format f;
  Get(f);
  switch (f.wAlignment) {
    case PFA_RIGHT: return TAlignment::taRightJustify;
    case PFA_CENTER: return TAlignment::taCenter;
    default: return TAlignment::taLeftJustify;
  }
}

void TParaAttributes::SetAlignment(TAlignment alignment) {
  Format f(PFM_ALIGNMENT);
  switch (alignment) {
    case TAlignment::taRightJustify: f.wAlignment = PFA_RIGHT; break;
    case TAlignment::taCenter: f.wAlignment = PFA_CENTER; break;
    default: f.wAlignment = PFA_LEFT; break;
  }
  Set(f);
}

TNumberingStyle TParaAttributes::Numbering() const {
  Format f;
  Get(f);
  // Numbered lists read from RTF count as numbered too.
  return f.wNumbering != 0 ? TNumberingStyle::nsBullet : TNumberingStyle::nsNone;
}

void TParaAttributes::SetNumbering(TNumberingStyle numbering) {
  Format f(PFM_NUMBERING);
  f.wNumbering = numbering == TNumberingStyle::nsBullet ? PFN_BULLET : 0;
  Set(f);
}

LONG TParaAttributes::Field(LONG Format::*field) const {
  Format f;
  Get(f);
  return f.*field;
}

int TParaAttributes::LineSpacing() const { return Field(&Format::dyLineSpacing); }

BYTE TParaAttributes::LineSpacingRule() const {
  Format f;
  Get(f);
  return f.bLineSpacingRule;
}

void TParaAttributes::SetLineSpacing(BYTE rule, int spacing) {
  Format f(PFM_LINESPACING);
  f.bLineSpacingRule = rule;
  f.dyLineSpacing = spacing;
  Set(f);
}

// ---------------------------------------------------------------------------------------------
// TRichEditStrings

namespace {

// The character position where paragraph `index` starts, in text with one CR per paragraph
// end; the text's length when there are fewer paragraphs.
int ParagraphStart(const String& raw, int index) {
  size_t pos = 0;
  for (int i = 0; i < index; ++i) {
    size_t cr = raw.find(L'\r', pos);
    if (cr == String::npos) return static_cast<int>(raw.size());
    pos = cr + 1;
  }
  return static_cast<int>(pos);
}

}  // namespace

String TRichEditStrings::Get(int index) const {
  TStringList lines;
  lines.SetText(editor_.Text());
  return lines.Get(index);
}

int TRichEditStrings::GetCount() const {
  TStringList lines;
  lines.SetText(editor_.Text());
  return lines.Count();
}

void TRichEditStrings::Insert(int index, const String& s) {
  const int count = GetCount();
  if (index < 0 || index > count) Error(L"List index out of bounds (%d)", index);
  const String raw = editor_.RawText();
  String text = s + L"\r";
  int at = ParagraphStart(raw, index);
  if (index == count) {
    // Appending: the new line follows a break, and the text ends without one as before.
    at = static_cast<int>(raw.size());
    text = (raw.empty() || raw.back() == L'\r') ? s : L"\r" + s;
  }
  editor_.SetSelection(at, at);
  editor_.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEditStrings::Delete(int index) {
  const int count = GetCount();
  if (index < 0 || index >= count) Error(L"List index out of bounds (%d)", index);
  const String raw = editor_.RawText();
  int start = ParagraphStart(raw, index);
  int end = ParagraphStart(raw, index + 1);
  // A last line without a break of its own takes the break before it along.
  const bool unbroken = end == static_cast<int>(raw.size()) && raw.back() != L'\r';
  if (index == count - 1 && unbroken && start > 0) --start;
  editor_.SetSelection(start, end);
  editor_.Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
}

void TRichEditStrings::Clear() { editor_.Clear(); }

void TRichEditStrings::SetText(const String& text) { editor_.SetPlainContent(text); }

void TRichEditStrings::LoadFromStream(TStream& stream) {
  if (!editor_.PlainText()) {
    // Read whole first: a stream that fails leaves the editor as it was.
    TMemoryStream bytes;
    bytes.WriteBytes(stream.ReadRest());
    bytes.SetPosition(0);
    editor_.StreamIn(bytes, SF_RTF);
    return;
  }
  TTextEncoding found = TTextEncoding::Ansi;
  const String text = DecodeText(stream.ReadRest(), found);
  SetEncoding(found);
  editor_.SetPlainContent(text);
}

void TRichEditStrings::SaveToStream(TStream& stream) const {
  if (!editor_.PlainText()) {
    stream.WriteBytes(editor_.RtfText());
    return;
  }
  stream.WriteBytes(EncodeText(editor_.Text(), Encoding(), WriteBOM()));
}

// ---------------------------------------------------------------------------------------------
// Rich text from outside: clips and text-setting messages

namespace {

TCheckedClip PlainClip(TClipReader& clip) {
  TCheckedClip checked;
  if (std::optional<std::string> text = clip.Read(CF_UNICODETEXT)) {
    checked.Format = CF_UNICODETEXT;
    checked.Text = WideBeforeZero(*text);
  }
  return checked;
}

// Whether a text-setting message (WM_SETTEXT, EM_SETTEXTEX) would hand the control's reader rich
// text that the check refuses. The control reads the text's bytes as RTF when they start as RTF,
// wide text included; its wide text may be read as RTF too.
bool SetsUnreadableRtf(const TMessage& m) {
  const auto* text = reinterpret_cast<const char*>(m.LParam);
  if (!text) return false;
  bool wide = true;
  if (m.Msg == EM_SETTEXTEX) {
    const auto* how = reinterpret_cast<const SETTEXTEX*>(m.WParam);
    wide = how && how->codepage == 1200;
  }
  const auto refused = [](const std::string& rtf) { return LooksLikeRtf(rtf) && !IsReadableRtf(rtf); };
  return refused(text) || (wide && refused(WideToAnsi(reinterpret_cast<const wchar_t*>(text))));
}

}  // namespace

TCheckedClip CheckClip(TClipReader& clip) {
  if (std::optional<std::string> rich = clip.Read(RichTextClipFormat())) {
    std::string rtf = BytesBeforeZero(*rich);
    if (IsReadableRtf(rtf)) return {RichTextClipFormat(), std::move(rtf), String()};
  }
  return PlainClip(clip);
}

// ---------------------------------------------------------------------------------------------
// TRichEdit

// The control's OLE callback. The control asks it whether to take data it is offered (a drop,
// where the control pastes without a message of ours) and in which format; everything else stays
// as the control does it without a callback: no objects of its own, no menu of its own.
class TRichEdit::TOleCallback final : public IRichEditOleCallback {
 public:
  explicit TOleCallback(TRichEdit& editor) : editor_(editor) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IRichEditOleCallback) {
      *object = static_cast<IRichEditOleCallback*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  // The editor owns the callback and outlives its windows: the count is only kept.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }

  HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT data, CLIPFORMAT* format, DWORD, BOOL, HGLOBAL) override {
    HRESULT answer = E_FAIL;
    if (!format) return E_POINTER;
    GuardBoundary([&] { answer = editor_.AcceptData(data, format); });
    return answer;
  }

  HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME*, LPOLEINPLACEUIWINDOW*,
                                              LPOLEINPLACEFRAMEINFO) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetContextMenu(WORD, LPOLEOBJECT, CHARRANGE*, HMENU*) override { return E_NOTIMPL; }

 private:
  TRichEdit& editor_;
  ULONG references_ = 0;
};

TRichEdit::TRichEdit(TComponent* AOwner)
    : TWinControl(AOwner), oleCallback_(std::make_unique<TOleCallback>(*this)) {
  SetBounds(0, 0, 185, 89);
  SetColor(clWindow);
  SetTabStop(true);
}

TRichEdit::~TRichEdit() {
  freeing_ = true;
  DestroyHandle();
}

const wchar_t* TRichEdit::SystemClass() {
  const TRichEditLibrary& library = RichEditLibrary();
  if (!library.ClassName) RaiseLastOSError(library.Error);
  return library.ClassName;
}

LRESULT TRichEdit::Send(UINT msg, WPARAM wp, LPARAM lp) {
  return SendMessageW(Handle(), msg, wp, lp);
}

void TRichEdit::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SystemClassName = SystemClass();
  // The content goes in by streaming: a caption that looks like RTF would be read as RTF.
  p.Caption.clear();
  p.Style |= WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL;
  if (!wordWrap_) p.Style |= ES_AUTOHSCROLL;
  if (!hideSelection_) p.Style |= ES_NOHIDESEL;
  if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth)
    p.Style |= WS_VSCROLL;
  if (scrollBars_ == TScrollStyle::ssHorizontal || scrollBars_ == TScrollStyle::ssBoth)
    p.Style |= WS_HSCROLL;
  if (borderStyle_ == TBorderStyle::bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TRichEdit::InitializeWindow() {
  TWinControl::InitializeWindow();
  // Without a limit of our own the control takes no more than 32767 characters.
  Send(EM_EXLIMITTEXT, 0, 0x7FFFFFF0);
  Send(EM_SETEVENTMASK, 0, ENM_CHANGE);
  Send(EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(oleCallback_.get())));
  ApplyColor();
  ApplyWordWrap();
  defAttributes_.Assign(Font());
  if (!stashed_) return;
  std::string rtf;
  rtf.swap(stash_);
  stashed_ = false;
  TChangeLock lock(changeLock_);
  SetRtfText(rtf);
  SetSelection(stashSelStart_, stashSelEnd_);
  ClearUndo();
}

void TRichEdit::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND: return CNCommand(m);
    case WM_DESTROY: return WMDestroy(m);
  }
  TWinControl::Dispatch(m);
}

void TRichEdit::DefaultHandler(TMessage& m) {
  switch (m.Msg) {
    case WM_PASTE: return PasteClip(false);
    case EM_PASTESPECIAL: return PasteSpecial(static_cast<UINT>(m.WParam));
    case WM_KEYDOWN:
      if (IsPasteKey(static_cast<WORD>(m.WParam))) return PasteClip(false);
      break;
    case WM_SETTEXT:
    case EM_SETTEXTEX:
      if (SetsUnreadableRtf(m)) return;  // nothing is set, and the message answers 0
      break;
  }
  TWinControl::DefaultHandler(m);
}

void TRichEdit::CNCommand(TMessage& m) {
  if (HIWORD(m.WParam) == EN_CHANGE) Change();
}

void TRichEdit::WMDestroy(TMessage& m) {
  // The window goes, the control stays (a recreated window, its own or its form's): its
  // content waits as RTF for the next window.
  std::exception_ptr error;
  if (!freeing_ && !Destroying()) {
    try {
      CHARRANGE sel{};
      Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
      stash_ = RtfText();
      stashSelStart_ = sel.cpMin;
      stashSelEnd_ = sel.cpMax;
      stashed_ = true;
    } catch (...) {
      error = std::current_exception();
    }
  }
  TWinControl::Dispatch(m);
  if (error) std::rethrow_exception(error);
}

void TRichEdit::Change() {
  if (changeLock_ == 0) OnChange(this);
}

String TRichEdit::GetText() const {
  if (!HandleAllocated() && (freeing_ || Destroying())) return text_;
  return TextWithBreaks(true);
}

String TRichEdit::TextWithBreaks(bool crlf) const {
  auto* self = const_cast<TRichEdit*>(this);
  GETTEXTLENGTHEX length{static_cast<DWORD>(GTL_PRECISE | GTL_NUMCHARS | (crlf ? GTL_USECRLF : 0)),
                         1200};
  const LRESULT n = self->Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  if (n <= 0) return String();
  String text(static_cast<size_t>(n) + 1, L'\0');
  GETTEXTEX get{};
  get.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  get.flags = crlf ? GT_USECRLF : GT_DEFAULT;
  get.codepage = 1200;
  const LRESULT got = self->Send(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                                 reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
  return text;
}

int TRichEdit::GetTextLength() {
  GETTEXTLENGTHEX length{GTL_PRECISE | GTL_NUMCHARS, 1200};
  return static_cast<int>(Send(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0));
}

void TRichEdit::TextChanged() { SetPlainContent(text_); }

void TRichEdit::StreamText(const String& text, unsigned flags) {
  // One CR per break: the control reads the text in blocks, and a CR LF split between two
  // blocks would make two breaks.
  String breaks;
  breaks.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    breaks.push_back(text[i] == L'\n' ? L'\r' : text[i]);
  }
  TMemoryStream bytes;
  bytes.WriteBuffer(breaks.data(), static_cast<int64_t>(breaks.size() * sizeof(wchar_t)));
  bytes.SetPosition(0);
  StreamIn(bytes, SF_TEXT | SF_UNICODE | flags);
}

// Wine's control replaces a content of megabytes slowly (each deleted paragraph break costs
// time in proportion to the whole text); loading into an empty control is fast.
void TRichEdit::StreamIn(TStream& stream, unsigned format) {
  RunStream(Handle(), EM_STREAMIN, format, StreamInCallback, stream);
}

void TRichEdit::StreamOut(TStream& stream, unsigned format) {
  RunStream(Handle(), EM_STREAMOUT, format, StreamOutCallback, stream);
}

std::string TRichEdit::RtfText() {
  TMemoryStream bytes;
  StreamOut(bytes, SF_RTF);
  // The control ends its RTF with a NUL byte, which is no part of the text.
  std::string rtf = bytes.Bytes();
  while (!rtf.empty() && rtf.back() == '\0') rtf.pop_back();
  return rtf;
}

void TRichEdit::SetRtfText(const std::string& rtf) { StreamRtf(rtf, 0); }

void TRichEdit::StreamRtf(const std::string& rtf, unsigned flags) {
  TMemoryStream bytes;
  bytes.WriteBytes(rtf);
  bytes.SetPosition(0);
  StreamIn(bytes, SF_RTF | flags);
}

void TRichEdit::FontChanged() {
  // The font is the default character format; a system font message would restyle the
  // formatted text too.
  if (HandleAllocated()) defAttributes_.Assign(Font());
  Invalidate();
}

void TRichEdit::ColorChanged() {
  TWinControl::ColorChanged();
  if (HandleAllocated()) ApplyColor();
}

void TRichEdit::ApplyColor() {
  Send(EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(ColorToGdi(Color(), GetSysColor(COLOR_WINDOW))));
}

void TRichEdit::ApplyWordWrap() {
  // A target device of none with a line width of 0 wraps at the window's edge; 1 never wraps.
  Send(EM_SETTARGETDEVICE, 0, wordWrap_ ? 0 : 1);
}

int TRichEdit::SelStart() {
  CHARRANGE sel{};
  Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  return sel.cpMin;
}

void TRichEdit::SetSelStart(int start) { SetSelection(start, start); }

int TRichEdit::SelLength() {
  CHARRANGE sel{};
  Send(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  return sel.cpMax - sel.cpMin;
}

void TRichEdit::SetSelLength(int length) {
  const int start = SelStart();
  SetSelection(start, start + length);
}

void TRichEdit::SetSelection(int start, int end) {
  CHARRANGE sel{start, end};
  Send(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
}

String TRichEdit::SelText() {
  const int length = SelLength();
  if (length <= 0) return String();
  String text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Send(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, length)));
  return text;
}

String TRichEdit::TextRange(int Start, int End) {
  if (End <= Start) return String();
  String text(static_cast<size_t>(End - Start) + 1, L'\0');
  TEXTRANGEW range{{Start, End}, text.data()};
  const LRESULT got = Send(EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
  text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, End - Start)));
  return text;
}

void TRichEdit::SetSelText(const String& text) {
  Send(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

void TRichEdit::SelectAll() { SetSelection(0, -1); }

void TRichEdit::Undo() { Send(EM_UNDO); }
bool TRichEdit::CanUndo() { return Send(EM_CANUNDO) != 0; }
void TRichEdit::ClearUndo() { Send(EM_EMPTYUNDOBUFFER); }
void TRichEdit::CutToClipboard() { Send(WM_CUT); }
void TRichEdit::CopyToClipboard() { Send(WM_COPY); }
void TRichEdit::PasteFromClipboard() { Send(WM_PASTE); }

void TRichEdit::PasteClip(bool plainOnly) {
  TCheckedClip clip;
  {
    // Closed again before the text goes in: the change handlers may want the clipboard.
    TClipboardReader clipboard(Handle());
    clip = plainOnly ? PlainClip(clipboard) : CheckClip(clipboard);
  }
  if (clip.Format == 0) return;
  if (clip.Format == CF_UNICODETEXT) StreamText(clip.Text, SFF_SELECTION);
  else StreamRtf(clip.Rtf, SFF_SELECTION);
  Send(EM_SCROLLCARET);
}

// A text format asked for pastes the plain text, rich text or no format asked for pastes as
// WM_PASTE does; any other format (pictures, objects) pastes nothing.
void TRichEdit::PasteSpecial(UINT format) {
  if (format == CF_TEXT || format == CF_UNICODETEXT || format == CF_OEMTEXT) return PasteClip(true);
  if (format == 0 || format == RichTextClipFormat()) PasteClip(false);
}

bool TRichEdit::IsPasteKey(WORD key) {
  const TShiftState shift = KeyboardShiftState();
  if (shift & ssAlt) return false;
  if (key == 'V') return (shift & ssCtrl) != 0;
  return key == VK_INSERT && (shift & ssShift) && !(shift & ssCtrl);
}

HRESULT TRichEdit::AcceptData(IDataObject* data, WORD* format) {
  TDataObjectReader reader(data);
  const TCheckedClip clip = CheckClip(reader);
  if (clip.Format == 0) return E_FAIL;
  *format = static_cast<WORD>(clip.Format);
  return S_OK;
}

void TRichEdit::ClearSelection() { Send(WM_CLEAR); }
void TRichEdit::Clear() { SetPlainContent(String()); }

void TRichEdit::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  RecreateWnd();
}

void TRichEdit::SetScrollBars(TScrollStyle style) {
  if (style == scrollBars_) return;
  scrollBars_ = style;
  RecreateWnd();
}

void TRichEdit::SetWordWrap(bool value) {
  if (value == wordWrap_) return;
  wordWrap_ = value;
  RecreateWnd();
}

void TRichEdit::SetHideSelection(bool value) {
  if (value == hideSelection_) return;
  hideSelection_ = value;
  RecreateWnd();
}
