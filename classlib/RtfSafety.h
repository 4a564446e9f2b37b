#pragma once
// The check that rich text passes before it reaches the system's rich-edit control, from a file
// or from a clip.
#include <cstddef>
#include <string>
#include <string_view>

// Whether RTF can be handed to the control without taking the process down or holding it for
// minutes. Text that is not RTF at all passes: the control reads it as plain text. The control
// reads RTF as follows, and such text is refused, with a margin:
// - it faults on groups nested deeper than kMaxRtfGroupDepth (escaped braces \{ \} are no groups;
//   it knows no \binN, so the bytes after one are read as RTF too);
// - on a control word (letters and parameter) far longer than any real one, and on a font or
//   style name longer than a buffer of its own;
// - on a table row with more cells than it can hold, more than its \cellx marks define (beyond
//   one spare), or none at its \row; on a paragraph that ends right after a \row before any text
//   or paragraph properties; on nested tables (\itapN beyond 1, \nestcell, \nestrow); and on
//   table words inside a picture;
// - on a tab stop (\tx) at a negative position: it reads a parameter into 32 bits, so an
//   overflowing number can be negative too, and a missing one counts as negative;
// - on a metafile picture with less data than a metafile's header, and on a picture whose data
//   something other than more data follows (it ends the data there; it works for minutes on data
//   interrupted many times);
// - and it lays a paragraph out in time that grows with the square of its length (16,000
//   characters take 13 s in a note's width), so a paragraph of a clip may be only so long. A
//   note file is read without that limit: the user may have typed or pasted a paragraph of any
//   length into a note, and a note the program wrote must come back, however slowly.
constexpr int kMaxRtfGroupDepth = 32;
constexpr size_t kMaxRtfWordLength = 255;
constexpr size_t kMaxRtfNameLength = 255;
constexpr int kMaxRtfRowCells = 63;
constexpr size_t kMinRtfMetafileBytes = 18;
constexpr size_t kMaxRtfParagraphLength = 16384;
constexpr size_t kNoRtfParagraphLimit = static_cast<size_t>(-1);
bool IsReadableRtf(const std::string& rtf, size_t maxParagraphLength = kMaxRtfParagraphLength);

// Whether text starts as RTF ("{\rtf" or "{\urtf"): where the control takes text, it reads such
// text as RTF.
bool LooksLikeRtf(std::string_view text);
