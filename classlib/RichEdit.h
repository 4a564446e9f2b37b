#pragma once
// The rich-edit control: the system's rich-text editor (msftedit or riched20, loaded from the
// system folder at first use and kept loaded), with its text as lines, RTF or plain-text
// streaming, selection, character and paragraph attributes, clipboard and undo.
#include "classlib/Controls.h"
#include "classlib/RtfSafety.h"
#include "classlib/StdCtrls.h"
#include "classlib/Strings.h"

#include <memory>
#include <string>

class TClipReader;
class TRichEdit;
class TStream;
struct IDataObject;

enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
// The rich edit shares the edit boxes' frame and alignment types; these names say the same.
using TEditBorderStyle = TBorderStyle;
using TParaAlignment = TAlignment;
enum class TNumberingStyle { nsNone, nsBullet };
enum class TAttributeType { atSelected, atDefaultText };

// Character attributes of the selection (SelAttributes) or of the editor's default text
// (DefAttributes). Reading a mixed selection answers for its first character.
class TTextAttributes : public TObject {
 public:
  TTextAttributes(TRichEdit& editor, TAttributeType type) : editor_(editor), type_(type) {}

  String Name() const;
  void SetName(const String& name);
  // Points.
  int Size() const;
  void SetSize(int points);
  TFontStyles Style() const;
  void SetStyle(TFontStyles style);
  // Gives every character the styles (present) or takes them away; each character keeps its
  // other styles.
  void SetStyleOf(TFontStyles styles, bool present);
  // clWindowText stands for the system's text colour (the control's automatic colour).
  TColor Color() const;
  void SetColor(TColor color);
  TFontCharset Charset() const;
  void SetCharset(TFontCharset charset);

  // Name, size, style, colour and character set from a font, in one step.
  void Assign(const TFont& font);
  // The same attributes into a font.
  void AssignTo(TFont& font) const;

 private:
  struct Format;
  void Get(Format& format) const;
  void Set(Format& format);

  TRichEdit& editor_;
  TAttributeType type_;
};

// Paragraph attributes of the paragraphs that the selection touches.
class TParaAttributes : public TObject {
 public:
  explicit TParaAttributes(TRichEdit& editor) : editor_(editor) {}

  // Left, right or centred (taLeftJustify, taRightJustify, taCenter: 0, 1, 2).
  TAlignment Alignment() const;
  void SetAlignment(TAlignment alignment);
  TNumberingStyle Numbering() const;
  void SetNumbering(TNumberingStyle numbering);

  // Line spacing as the control keeps it: the rule (0 single, 1 one and a half, 2 double,
  // 3..5 measured by the spacing value) and the spacing value itself.
  int LineSpacing() const;
  BYTE LineSpacingRule() const;
  // Sets only the line spacing (rule and value); the other attributes stay.
  void SetLineSpacing(BYTE rule, int spacing);

 private:
  struct Format;
  void Get(Format& format) const;
  void Set(Format& format);
  LONG Field(LONG Format::*field) const;

  TRichEdit& editor_;
};

// The editor's text as lines (its paragraphs). Loading and saving stream RTF, or plain text
// when the editor's PlainText is on; the file operations of TStrings go through these stream
// operations, and a file is replaced in one step. The other operations keep the formatting
// of the lines they do not touch.
class TRichEditStrings : public TStrings {
 public:
  explicit TRichEditStrings(TRichEdit& editor) : editor_(editor) {}

  String Get(int index) const override;
  int GetCount() const override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  void SetText(const String& text) override;

  // Read from the stream's position to its end / write at its position.
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;

 private:
  TRichEdit& editor_;
};

// A multi-line rich-text editor. Its window exists as soon as any of its content is asked
// for. A recreated window (its own, or its form's) gets the content back, formatting and
// selection included, without an OnChange. Font is the default character format: text typed
// into an empty control and plain text loaded take it; formatted text keeps its own.
class TRichEdit : public TWinControl {
 public:
  explicit TRichEdit(TComponent* AOwner);
  ~TRichEdit() override;

  // The class name of the system's rich-edit control, loading its library at first use.
  // Raises EOSError when the system has none.
  static const wchar_t* SystemClass();

  TRichEditStrings& Lines() { return lines_; }
  // Loading and saving through Lines take plain text when on, RTF when off.
  bool PlainText() const { return plainText_; }
  void SetPlainText(bool value) { plainText_ = value; }

  // Text is the whole text with CR LF between paragraphs; SetText replaces it all with
  // unformatted text in the default attributes.

  // RTF in and out as bytes (what streaming with PlainText off moves).
  std::string RtfText();
  void SetRtfText(const std::string& rtf);

  // Selection, in character positions (a paragraph break counts one).
  int SelStart();
  void SetSelStart(int start);
  int SelLength();
  void SetSelLength(int length);
  String SelText();
  // The characters from Start up to End (positions as the selection counts them).
  String TextRange(int Start, int End);
  // Replaces the selection (undoable).
  void SetSelText(const String& text);
  void SelectAll();
  TTextAttributes& SelAttributes() { return selAttributes_; }
  TTextAttributes& DefAttributes() { return defAttributes_; }
  TParaAttributes& Paragraph() { return paragraph_; }

  void Undo();
  bool CanUndo();
  void ClearUndo();
  void CutToClipboard();
  void CopyToClipboard();
  // Pastes the clipboard at the selection, undoably: its rich text when the rich-text check
  // passes it, else its plain text, else nothing. Every paste of the control's own (its keys,
  // WM_PASTE, EM_PASTESPECIAL) comes here instead: the control reads rich text it cannot survive.
  void PasteFromClipboard();
  // What the control may take of a data object it is offered (a drop): the format of the clip's
  // checked rich text, else of its plain text; E_FAIL when it has neither.
  HRESULT AcceptData(IDataObject* data, WORD* format);
  void ClearSelection();
  void Clear();

  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle style);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle style);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool value);
  // When off, the selection stays marked while the control has no focus.
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool value);

  // Every change of the text, and whatever else the control reports as a change.
  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& params) override;
  void InitializeWindow() override;
  void Dispatch(TMessage& Message) override;
  // Where messages reach the control's own window procedure: its pastes and rich text set
  // through a message are taken over here.
  void DefaultHandler(TMessage& Message) override;
  String GetText() const override;
  void TextChanged() override;
  void FontChanged() override;
  void ColorChanged() override;
  virtual void Change();

 private:
  friend class TTextAttributes;
  friend class TParaAttributes;
  friend class TRichEditStrings;
  class TOleCallback;

  // Streams bytes in or out in a stream format (SF_RTF, SF_TEXT | SF_UNICODE); exceptions of
  // the stream travel through the system's callback as a stored exception and are raised
  // again here.
  void StreamIn(TStream& stream, unsigned format);
  void StreamOut(TStream& stream, unsigned format);
  // Text or RTF streamed in as a whole (flags 0) or in place of the selection (SFF_SELECTION).
  void StreamText(const String& text, unsigned flags);
  void StreamRtf(const std::string& rtf, unsigned flags);
  void SetPlainContent(const String& text) { StreamText(text, 0); }
  // Pastes the clipboard's checked rich text or plain text (or only its plain text).
  void PasteClip(bool plainOnly);
  void PasteSpecial(UINT format);
  // Whether the key down is one by which the control pastes.
  static bool IsPasteKey(WORD key);
  // The text with CR LF at each paragraph end, or with the single CR that character
  // positions count.
  String TextWithBreaks(bool crlf) const;
  String RawText() const { return TextWithBreaks(false); }
  // Characters, a paragraph break counting one.
  int GetTextLength();
  void SetSelection(int start, int end);
  void ApplyColor();
  void ApplyWordWrap();
  void WMDestroy(TMessage& m);
  void CNCommand(TMessage& m);
  LRESULT Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0);

  TRichEditStrings lines_{*this};
  TTextAttributes selAttributes_{*this, TAttributeType::atSelected};
  TTextAttributes defAttributes_{*this, TAttributeType::atDefaultText};
  TParaAttributes paragraph_{*this};
  bool plainText_ = false;
  TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
  TScrollStyle scrollBars_ = TScrollStyle::ssNone;
  bool wordWrap_ = true;
  bool hideSelection_ = true;
  // The content while the window is recreated: its RTF and its selection.
  std::string stash_;
  bool stashed_ = false;
  int stashSelStart_ = 0, stashSelEnd_ = 0;
  bool freeing_ = false;
  int changeLock_ = 0;
  std::unique_ptr<TOleCallback> oleCallback_;
};

// What of a clip may enter a rich-edit control: its rich text ("Rich Text Format") when
// IsReadableRtf passes it, else its plain text (CF_UNICODETEXT), else nothing.
struct TCheckedClip {
  UINT Format = 0;  // RichTextClipFormat(), CF_UNICODETEXT, or 0: nothing
  std::string Rtf;
  String Text;
};
TCheckedClip CheckClip(TClipReader& clip);

// Rich-text streaming (PlainText off) for the life of the scope; the editor's setting before it
// comes back however the scope ends. An editor kept in plain-text streaming at rest is switched
// this way around each stream operation that must move its formatting (saving, loading,
// recreating its window).
class TRichTextStreaming {
 public:
  explicit TRichTextStreaming(TRichEdit& editor) : editor_(editor), plainBefore_(editor.PlainText()) {
    editor_.SetPlainText(false);
  }
  ~TRichTextStreaming() { editor_.SetPlainText(plainBefore_); }
  TRichTextStreaming(const TRichTextStreaming&) = delete;
  TRichTextStreaming& operator=(const TRichTextStreaming&) = delete;

 private:
  TRichEdit& editor_;
  bool plainBefore_;
};
