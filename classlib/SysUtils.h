#pragma once
// Exceptions, number and text conversions, Format, dates and random numbers (file and path
// routines are in FileUtils.h).
#include "classlib/Types.h"

#include <exception>
#include <initializer_list>
#include <string>

// The base of every exception the library and the program raise.
class Exception : public std::exception {
 public:
  explicit Exception(String message);
  const String& Message() const { return message_; }
  void SetMessage(const String& message);
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  String message_;
  std::string utf8_;
};

#define QN_DECLARE_EXCEPTION(Name, Base) \
  class Name : public Base {             \
   public:                               \
    using Base::Base;                    \
  };

QN_DECLARE_EXCEPTION(EAbort, Exception)            // silent: the handler shows nothing
QN_DECLARE_EXCEPTION(EConvertError, Exception)
QN_DECLARE_EXCEPTION(EListError, Exception)
QN_DECLARE_EXCEPTION(EStringListError, Exception)
QN_DECLARE_EXCEPTION(EStreamError, Exception)
QN_DECLARE_EXCEPTION(EFCreateError, EStreamError)
QN_DECLARE_EXCEPTION(EFOpenError, EStreamError)
QN_DECLARE_EXCEPTION(EReadError, EStreamError)
QN_DECLARE_EXCEPTION(EWriteError, EStreamError)
QN_DECLARE_EXCEPTION(EInvalidCast, Exception)
QN_DECLARE_EXCEPTION(EInvalidOperation, Exception)
QN_DECLARE_EXCEPTION(EInvalidPointer, Exception)
QN_DECLARE_EXCEPTION(EComponentError, Exception)
QN_DECLARE_EXCEPTION(EOutOfResources, Exception)
QN_DECLARE_EXCEPTION(EThread, Exception)
QN_DECLARE_EXCEPTION(ERegistryException, Exception)
QN_DECLARE_EXCEPTION(EAssertionFailed, Exception)
QN_DECLARE_EXCEPTION(EAbstractError, Exception)     // an operation a descendant must supply

// A failed system call, with the system's own error code and text.
class EOSError : public Exception {
 public:
  EOSError(String message, DWORD code) : Exception(std::move(message)), ErrorCode(code) {}
  DWORD ErrorCode;
};

// Raises EOSError for the calling thread's last error.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD code);
String SysErrorMessage(DWORD code);

// Raises EAssertionFailed naming the unit and line, as the drawing utilities' preconditions do.
[[noreturn]] void AssertionFailed(const String& unit, int line, const String& message = L"");

// ---------------------------------------------------------------------------------------------
// Integer and boolean texts

// Decimal digits with a leading '-' for negative values.
String IntToStr(long long value);

// Upper-case hexadecimal, padded with zeros to at least `digits`; a value that needs more
// digits is written in full. Negative values are written as their two's complement in the
// width of their type (8 digits for 32 bits, 16 for 64 bits).
String IntToHexBits(unsigned long long value, int digits);
template <class T>
  requires std::is_integral_v<T>
String IntToHex(T value, int digits) {
  if constexpr (sizeof(T) <= 4)
    return IntToHexBits(static_cast<unsigned long long>(static_cast<uint32_t>(value)), digits);
  else
    return IntToHexBits(static_cast<unsigned long long>(value), digits);
}

// The integer syntax every reader of the program accepts: leading spaces, an optional sign,
// then decimal digits, or "$", "0x" or "0X" and hexadecimal digits; nothing may follow (a
// trailing blank makes the text invalid). Decimal values must fit in 32 bits; hexadecimal
// values up to FFFFFFFF are taken as their 32-bit two's complement (so "$FFFFFFFF" is -1).
bool TryStrToInt(const String& text, int& value);
// Raises EConvertError "'<text>' is not a valid integer value".
int StrToInt(const String& text);
int StrToIntDef(const String& text, int fallback);
// The same syntax in 64 bits.
bool TryStrToInt64(const String& text, long long& value);

// "True"/"False" (any letter case) or any integer (non-zero is true).
bool TryStrToBool(const String& text, bool& value);
// Raises EConvertError "'<text>' is not a valid boolean value".
bool StrToBool(const String& text);
// "-1"/"0", or "True"/"False" when useBoolStrs.
String BoolToStr(bool value, bool useBoolStrs = false);

// ---------------------------------------------------------------------------------------------
// Texts

// Trimming removes every character up to and including the blank (control characters too).
String Trim(const String& text);
String TrimLeft(const String& text);
String TrimRight(const String& text);

// Only the letters a-z / A-Z change; other characters stay.
String UpperCase(const String& text);
String LowerCase(const String& text);
// <0, 0 or >0, comparing with a-z folded onto A-Z, character by character.
int CompareText(const String& a, const String& b);
bool SameText(const String& a, const String& b);
// <0, 0 or >0, by ordinal character codes.
int CompareStr(const String& a, const String& b);

// The user locale's letter cases and collation (every letter of the character set).
String AnsiUpperCase(const String& text);
String AnsiLowerCase(const String& text);
int AnsiCompareStr(const String& a, const String& b);
int AnsiCompareText(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);

enum TReplaceFlag : unsigned { rfReplaceAll = 1u << 0, rfIgnoreCase = 1u << 1 };
using TReplaceFlags = unsigned;
// Replaces the first (or every) occurrence of `from`; with rfIgnoreCase a-z match A-Z.
String StringReplace(const String& text, const String& from, const String& to,
                     TReplaceFlags flags);

// ---------------------------------------------------------------------------------------------
// Floating-point texts, with the decimal and thousands separators of seams::Clock().Locale()

wchar_t DecimalSeparator();
wchar_t ThousandSeparator();

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber };
// ffGeneral: the shortest text with at most `precision` significant digits, in exponent form
// ("1.5E20") when the integer part needs more digits or the value is below 0.00001.
// ffExponent: "d.ddd" with `precision` digits, "E", a sign and at least `digits` exponent digits.
// ffFixed: `digits` decimals after rounding to `precision` significant digits (exponent form when
// the integer part has more than `precision` digits). ffNumber: ffFixed with thousands
// separators. NaN and infinities read "NAN", "INF" and "-INF".
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
String FloatToStr(double value);  // ffGeneral, 15 digits

// One argument of Format.
struct TVarRec {
  enum Kind { vtInteger, vtFloat, vtString } kind;
  long long integer = 0;
  double real = 0;
  String text;
  TVarRec(int v) : kind(vtInteger), integer(v) {}
  TVarRec(unsigned v) : kind(vtInteger), integer(v) {}
  TVarRec(long v) : kind(vtInteger), integer(v) {}
  TVarRec(unsigned long v) : kind(vtInteger), integer(static_cast<long long>(v)) {}
  TVarRec(long long v) : kind(vtInteger), integer(v) {}
  TVarRec(unsigned long long v) : kind(vtInteger), integer(static_cast<long long>(v)) {}
  TVarRec(double v) : kind(vtFloat), real(v) {}
  TVarRec(const wchar_t* v) : kind(vtString), text(v ? v : L"") {}
  TVarRec(const String& v) : kind(vtString), text(v) {}
  TVarRec(wchar_t v) : kind(vtString), text(1, v) {}
};

// Format specifiers: "%" [index ":"] ["-"] [width] ["." precision] type, where width and
// precision may be "*" (taken from the arguments) and type is d (decimal; precision = least
// digits), u, x (upper-case hexadecimal), s (precision = most characters), e, f, g, n (floats;
// precision = decimals, or significant digits for g and e). "%%" is a percent sign. A
// specifier that does not fit its argument raises EConvertError.
String Format(const String& format, std::initializer_list<TVarRec> args);

// ---------------------------------------------------------------------------------------------
// Dates and times (TDateTime: days since 30 December 1899, the time of day as the fraction)

constexpr long long MSecsPerDay = 86400000;

// Raise EConvertError on values out of range.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeDate(int year, int month, int day, TDateTime& value);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
SYSTEMTIME DateTimeToSystemTime(TDateTime value);

// Through seams::Clock(), so tests can fix the moment.
TDateTime Now();
TDateTime Date();  // today at midnight
TDateTime Time();  // the time of day alone (a value below 1)

// In the formats of seams::Clock().Locale(): the short date format, the long time format.
String DateToStr(TDateTime value);
String TimeToStr(TDateTime value);
// The date, then a blank and the time; the time is left out at exactly midnight (hours,
// minutes and seconds all zero).
String DateTimeToStr(TDateTime value);

// ---------------------------------------------------------------------------------------------
// Random numbers, through seams::Random()

// A number in 0 .. range-1 (0 when range <= 0).
int Random(int range);
