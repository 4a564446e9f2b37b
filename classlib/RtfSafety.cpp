#include "classlib/RtfSafety.h"

#include <array>
#include <cctype>
#include <cstdint>

namespace {

bool IsRtfLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsRtfDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

// A control word as the control's reader takes it: letters, then a parameter that it gathers into
// 32 bits (a longer number wraps around) and that is missing without digits.
struct TRtfWord {
  std::string_view Name;
  bool HasNumber = false;
  int32_t Number = 0;
  size_t Length = 0;  // letters, sign and digits
  size_t End = 0;     // past the word and the space that ends it
};

// The word whose letters start at `at`.
TRtfWord ReadWord(const std::string& rtf, size_t at) {
  TRtfWord word;
  size_t j = at;
  while (j < rtf.size() && IsRtfLetter(rtf[j])) ++j;
  word.Name = std::string_view(rtf.data() + at, j - at);
  const bool negative = j < rtf.size() && rtf[j] == '-';
  if (negative) ++j;
  uint32_t number = 0;
  for (; j < rtf.size() && IsRtfDigit(rtf[j]); ++j) {
    number = number * 10u + static_cast<uint32_t>(rtf[j] - '0');
    word.HasNumber = true;
  }
  word.Number = static_cast<int32_t>(negative ? 0u - number : number);
  word.Length = j - at;
  if (j < rtf.size() && rtf[j] == ' ') ++j;
  word.End = j;
  return word;
}

bool IsTableWord(std::string_view word) {
  return word == "trowd" || word == "cellx" || word == "cell" || word == "row" || word == "intbl";
}

bool EndsParagraph(std::string_view word) {
  return word == "par" || word == "sect" || word == "page" || word == "cell" || word == "row";
}

// Control words the control does not survive, whatever surrounds them: the words of nested tables
// (it faults and hangs on many of their forms) and tab stops before the margin (its layout faults
// on a negative position, which a missing or overflowing number also gives).
bool RefusedWord(const TRtfWord& word) {
  if (word.Name == "nestcell" || word.Name == "nestrow" || word.Name == "nesttableprops") return true;
  if (word.Name == "itap") return word.HasNumber && word.Number > 1;
  if (word.Name == "tx") return !word.HasNumber || word.Number < 0;
  return false;
}

// The table row being read: what its \cellx marks define since \trowd and what \cell fills since
// the last \row (a writer may define a row's cells again after them, before its \row; the control
// lays the cells out by the definitions when the row ends), and whether a row has just ended.
class TTableState {
 public:
  // Whether the table can still be held after the word.
  bool Take(std::string_view word) {
    if (word == "row") return EndRow();
    if (word == "par" || word == "sect" || word == "page") return ParagraphEnd();
    if (word == "trowd") defined_ = 0;
    else if (word == "cellx") ++defined_;
    else if (word == "cell") ++filled_;
    else if (word == "pard" || word == "intbl") rowJustEnded_ = false;
    return defined_ <= kMaxRtfRowCells && filled_ <= kMaxRtfRowCells;
  }
  void Text() { rowJustEnded_ = false; }
  // A paragraph that ends right after a row, before any text and before its own paragraph
  // properties (\pard, \intbl), breaks the control's table.
  bool ParagraphEnd() const { return !rowJustEnded_; }
  // Whether a row left open at the end of the text can be held.
  bool EndsWhole() const { return filled_ == 0 || Matches(); }

 private:
  // A row that ends without a cell breaks the control's table.
  bool EndRow() {
    const bool whole = filled_ > 0 && Matches();
    defined_ = filled_ = 0;
    rowJustEnded_ = true;
    return whole;
  }
  // More cells than the definitions (beyond one spare) overrun the control's table of cells.
  bool Matches() const { return filled_ <= defined_ + 1; }
  int defined_ = 0;
  int filled_ = 0;
  bool rowJustEnded_ = false;
};

// What the text of a group is to the control's reader. A group takes its outer group's kind
// until a word of its own says otherwise.
enum class TGroupKind : uint8_t {
  Text,     // the document's text
  Names,    // the font table and the style sheet: names, each ended by ';'
  Picture,  // a picture's properties and data
  Hidden,   // text that is not shown: ignorable destinations, colours, information, fields' codes
};

struct TGroup {
  TGroupKind Kind = TGroupKind::Text;
  bool Metafile = false;   // a picture: a metafile
  size_t DataDigits = 0;   // a picture: the characters of its data so far, two to a byte
};

class TRtfScan {
 public:
  TRtfScan(const std::string& rtf, size_t maxParagraph) : rtf_(rtf), maxParagraph_(maxParagraph) {}

  bool Readable() {
    const size_t n = rtf_.size();
    for (size_t i = 0; i < n; ++i) {
      const char c = rtf_[i];
      bool ok = true;
      if (c == '{') {
        ok = OpenGroup();
      } else if (c == '}') {
        ok = CloseGroup();
      } else if (c == '\\' && i + 1 < n && IsRtfLetter(rtf_[i + 1])) {
        const TRtfWord word = ReadWord(rtf_, i + 1);
        ok = Word(word);
        i = word.End - 1;
      } else if (c == '\\' && i + 1 < n) {
        ok = Symbol(rtf_[++i]);
        if (rtf_[i] == '\'') i = SkipHexDigits(i);  // \'hh is one character
      } else if (c != '\r' && c != '\n') {
        ok = Text(c);
      }
      if (!ok) return false;
    }
    while (depth_ > 0)
      if (!CloseGroup()) return false;
    return table_.EndsWhole();
  }

 private:
  TGroup& Current() { return groups_[static_cast<size_t>(depth_)]; }

  // Past the (at most two) hexadecimal digits after `at`.
  size_t SkipHexDigits(size_t at) const {
    for (int k = 0; k < 2 && at + 1 < rtf_.size() && std::isxdigit(static_cast<unsigned char>(rtf_[at + 1])); ++k) ++at;
    return at;
  }

  bool OpenGroup() {
    if (InPictureData()) return false;
    if (++depth_ > kMaxRtfGroupDepth) return false;
    TGroup inner;
    inner.Kind = groups_[static_cast<size_t>(depth_ - 1)].Kind;
    groups_[static_cast<size_t>(depth_)] = inner;
    return true;
  }

  // A metafile shorter than its header takes the system's metafile functions past its end.
  bool CloseGroup() {
    if (depth_ == 0) return true;  // the control ignores a surplus '}'
    const TGroup& group = Current();
    --depth_;
    return group.Kind != TGroupKind::Picture || !group.Metafile || group.DataDigits / 2 >= kMinRtfMetafileBytes;
  }

  // A picture's data comes last in it: the control ends the data it hands on at whatever
  // follows (a metafile cut short faults), and it works for minutes on data interrupted many times.
  bool InPictureData() { return Current().Kind == TGroupKind::Picture && Current().DataDigits > 0; }

  bool Word(const TRtfWord& word) {
    if (word.Length > kMaxRtfWordLength || RefusedWord(word) || InPictureData()) return false;
    TGroup& group = Current();
    if (group.Kind == TGroupKind::Picture && IsTableWord(word.Name)) return false;
    Destination(word.Name, group);
    if (group.Kind == TGroupKind::Text && EndsParagraph(word.Name)) paragraph_ = 0;
    if ((word.Name == "u" || word.Name == "tab") && !Text('\t')) return false;
    return table_.Take(word.Name);
  }

  static void Destination(std::string_view word, TGroup& group) {
    if (word == "fonttbl" || word == "stylesheet") {
      group.Kind = TGroupKind::Names;
    } else if (word == "pict") {
      group = TGroup{TGroupKind::Picture};
    } else if (word == "wmetafile") {
      group.Metafile = group.Kind == TGroupKind::Picture;
    } else if (word == "colortbl" || word == "info" || word == "fldinst" || word == "object" ||
               word == "listtable" || word == "listoverridetable") {
      group.Kind = TGroupKind::Hidden;
    }
  }

  // A control symbol: an ignorable destination (\*), a paragraph's end (a backslash before a line
  // break), or a character (\{, \}, \\, \~, \'hh and the like).
  bool Symbol(char symbol) {
    if (InPictureData()) return false;
    if (symbol == '*') {
      if (Current().Kind != TGroupKind::Picture) Current().Kind = TGroupKind::Hidden;
      return true;
    }
    if (symbol == '\r' || symbol == '\n') return Word(TRtfWord{"par"});
    return Text(symbol);
  }

  // One character of text, read as its group reads it.
  bool Text(char c) {
    TGroup& group = Current();
    switch (group.Kind) {
      case TGroupKind::Names:
        // Each name goes into a buffer of the reader's, which a long one overruns.
        name_ = c == ';' ? 0 : name_ + 1;
        return name_ <= kMaxRtfNameLength;
      case TGroupKind::Picture:
        if (!IsSpace(c)) ++group.DataDigits;
        return true;
      case TGroupKind::Hidden:
        return true;
      case TGroupKind::Text:
        break;
    }
    table_.Text();
    // The control lays a paragraph out in time that grows with the square of its length.
    return ++paragraph_ <= maxParagraph_;
  }

  const std::string& rtf_;
  const size_t maxParagraph_;
  int depth_ = 0;
  std::array<TGroup, kMaxRtfGroupDepth + 1> groups_{};
  TTableState table_;
  size_t name_ = 0;
  size_t paragraph_ = 0;
};

}  // namespace

bool IsReadableRtf(const std::string& rtf, size_t maxParagraphLength) {
  return TRtfScan(rtf, maxParagraphLength).Readable();
}

bool LooksLikeRtf(std::string_view text) { return text.starts_with("{\\rtf") || text.starts_with("{\\urtf"); }
