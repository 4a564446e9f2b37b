#include "classlib/SysUtils.h"

#include "classlib/Seams.h"
#include "classlib/TextConv.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <iterator>
#include <vector>

Exception::Exception(String message) : message_(std::move(message)), utf8_(WideToUtf8(message_)) {}

void Exception::SetMessage(const String& message) {
  message_ = message;
  utf8_ = WideToUtf8(message_);
}

String SysErrorMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  String text;
  if (n && buffer) {
    text.assign(buffer, n);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
      text.pop_back();
  }
  if (buffer) LocalFree(buffer);
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD code) {
  String text = L"System Error.  Code: " + std::to_wstring(code) + L".";
  String sys = SysErrorMessage(code);
  if (!sys.empty()) text += L"\r\n" + sys;
  throw EOSError(text, code);
}

void AssertionFailed(const String& unit, int line, const String& message) {
  String text = message.empty() ? L"Assertion failed" : message;
  text += L" (" + unit + L", line " + std::to_wstring(line) + L")";
  throw EAssertionFailed(text);
}

// ---------------------------------------------------------------------------------------------
// Integer and boolean texts

String IntToStr(long long value) { return std::to_wstring(value); }

String IntToHexBits(unsigned long long value, int digits) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  String text;
  do {
    text.push_back(kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  while (static_cast<int>(text.size()) < digits) text.push_back(L'0');
  std::reverse(text.begin(), text.end());
  return text;
}

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

// Parses the shared integer syntax. Decimal magnitudes are limited to `decimalMax` (plus one
// for a negative value); hexadecimal ones to `hexMax`, taken as two's complement of that width.
bool ParseInteger(const String& text, unsigned long long decimalMax, unsigned long long hexMax,
                  unsigned long long& magnitude, bool& negative, bool& hex) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && text[i] == L' ') ++i;
  negative = false;
  if (i < n && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  hex = false;
  if (i < n && text[i] == L'$') {
    hex = true;
    ++i;
  } else if (i + 1 < n && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
    hex = true;
    i += 2;
  }
  if (i == n) return false;
  const unsigned long long limit = hex ? hexMax : decimalMax + (negative ? 1 : 0);
  const unsigned base = hex ? 16 : 10;
  magnitude = 0;
  for (; i < n; ++i) {
    int d = hex ? HexDigit(text[i]) : (text[i] >= L'0' && text[i] <= L'9' ? text[i] - L'0' : -1);
    if (d < 0) return false;
    if (magnitude > (limit - static_cast<unsigned>(d)) / base) return false;
    magnitude = magnitude * base + static_cast<unsigned>(d);
  }
  return true;
}

[[noreturn]] void RaiseConvert(const String& text, const wchar_t* kind) {
  throw EConvertError(L"'" + text + L"' is not a valid " + kind + L" value");
}

}  // namespace

bool TryStrToInt(const String& text, int& value) {
  unsigned long long m = 0;
  bool negative = false, hex = false;
  if (!ParseInteger(text, 0x7FFFFFFFull, 0xFFFFFFFFull, m, negative, hex)) return false;
  uint32_t bits = static_cast<uint32_t>(m);
  if (negative) bits = 0u - bits;
  value = static_cast<int32_t>(bits);
  return true;
}

int StrToInt(const String& text) {
  int value = 0;
  if (!TryStrToInt(text, value)) RaiseConvert(text, L"integer");
  return value;
}

int StrToIntDef(const String& text, int fallback) {
  int value = 0;
  return TryStrToInt(text, value) ? value : fallback;
}

bool TryStrToInt64(const String& text, long long& value) {
  unsigned long long m = 0;
  bool negative = false, hex = false;
  if (!ParseInteger(text, 0x7FFFFFFFFFFFFFFFull, ~0ull, m, negative, hex)) return false;
  if (negative) m = 0ull - m;
  value = static_cast<long long>(m);
  return true;
}

bool TryStrToBool(const String& text, bool& value) {
  if (SameText(text, L"True")) {
    value = true;
    return true;
  }
  if (SameText(text, L"False")) {
    value = false;
    return true;
  }
  long long number = 0;
  if (!TryStrToInt64(text, number)) return false;
  value = number != 0;
  return true;
}

bool StrToBool(const String& text) {
  bool value = false;
  if (!TryStrToBool(text, value)) RaiseConvert(text, L"boolean");
  return value;
}

String BoolToStr(bool value, bool useBoolStrs) {
  if (useBoolStrs) return value ? L"True" : L"False";
  return value ? L"-1" : L"0";
}

// ---------------------------------------------------------------------------------------------
// Texts

String TrimLeft(const String& text) {
  size_t i = 0;
  while (i < text.size() && text[i] <= L' ') ++i;
  return text.substr(i);
}

String TrimRight(const String& text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] <= L' ') --n;
  return text.substr(0, n);
}

String Trim(const String& text) { return TrimRight(TrimLeft(text)); }

namespace {
wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }
wchar_t AsciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

int Sign(int v) { return (v > 0) - (v < 0); }

String LocaleMap(const String& text, DWORD flags) {
  if (text.empty()) return text;
  String out(text);
  int n = LCMapStringW(LOCALE_USER_DEFAULT, flags, text.data(), static_cast<int>(text.size()),
                       out.data(), static_cast<int>(out.size()));
  if (n <= 0) return text;
  out.resize(static_cast<size_t>(n));
  return out;
}

int LocaleCompare(const String& a, const String& b, DWORD flags) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()),
                         b.data(), static_cast<int>(b.size()));
  return r == 0 ? CompareStr(a, b) : r - CSTR_EQUAL;
}
}  // namespace

String UpperCase(const String& text) {
  String out(text);
  std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
  return out;
}

String LowerCase(const String& text) {
  String out(text);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

int CompareText(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<int>(AsciiUpper(a[i])) - static_cast<int>(AsciiUpper(b[i]));
    if (d != 0) return d;
  }
  return Sign(static_cast<int>(a.size()) - static_cast<int>(b.size()));
}

bool SameText(const String& a, const String& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int CompareStr(const String& a, const String& b) { return Sign(a.compare(b)); }

String AnsiUpperCase(const String& text) { return LocaleMap(text, LCMAP_UPPERCASE); }
String AnsiLowerCase(const String& text) { return LocaleMap(text, LCMAP_LOWERCASE); }
int AnsiCompareStr(const String& a, const String& b) { return LocaleCompare(a, b, 0); }
int AnsiCompareText(const String& a, const String& b) {
  return LocaleCompare(a, b, NORM_IGNORECASE);
}
bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }

String StringReplace(const String& text, const String& from, const String& to,
                     TReplaceFlags flags) {
  if (from.empty()) return text;
  const String haystack = (flags & rfIgnoreCase) ? UpperCase(text) : text;
  const String needle = (flags & rfIgnoreCase) ? UpperCase(from) : from;
  String out;
  size_t start = 0;
  for (;;) {
    size_t at = haystack.find(needle, start);
    if (at == String::npos) break;
    out.append(text, start, at - start);
    out += to;
    start = at + from.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(text, start, String::npos);
  return out;
}

// ---------------------------------------------------------------------------------------------
// Floating-point texts

namespace {

wchar_t LocaleChar(LCTYPE type, wchar_t fallback) {
  wchar_t buffer[8] = {};
  return GetLocaleInfoW(seams::Clock().Locale(), type, buffer, 8) > 1 ? buffer[0] : fallback;
}

// The significant decimal digits of |value| and the power of ten of the first one.
struct TDecimal {
  std::string digits;
  int exponent = 0;
};

TDecimal ToDecimal(double value, int precision) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), std::fabs(value),
                              std::chars_format::scientific, precision - 1);
  const std::string text(buffer, result.ptr);
  const size_t e = text.find('e');
  TDecimal d;
  for (size_t i = 0; i < e; ++i)
    if (text[i] != '.') d.digits.push_back(text[i]);
  d.exponent = std::atoi(text.c_str() + e + 1);
  return d;
}

// Rounds half away from zero to `keep` significant digits (0 or fewer: to zero or to one unit).
void RoundDigits(TDecimal& d, int keep) {
  if (keep >= static_cast<int>(d.digits.size())) return;
  const bool up = keep >= 0 && d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(std::max(keep, 0)));
  if (!up) return;
  int i = keep - 1;
  while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') d.digits[static_cast<size_t>(i--)] = '0';
  if (i >= 0) {
    ++d.digits[static_cast<size_t>(i)];
  } else {
    d.digits.insert(d.digits.begin(), '1');
    ++d.exponent;
  }
}

wchar_t DigitAt(const TDecimal& d, int index) {
  return index >= 0 && index < static_cast<int>(d.digits.size())
             ? static_cast<wchar_t>(d.digits[static_cast<size_t>(index)])
             : L'0';
}

String ExponentText(const TDecimal& d, int precision, int expDigits, bool general) {
  String text(1, DigitAt(d, 0));
  String rest;
  for (int i = 1; i < precision; ++i) rest.push_back(DigitAt(d, i));
  if (general) rest = rest.substr(0, rest.find_last_not_of(L'0') + 1);
  if (!rest.empty()) text += DecimalSeparator() + rest;
  const int e = d.exponent;
  String power = IntToStr(e < 0 ? -e : e);
  while (static_cast<int>(power.size()) < expDigits) power.insert(power.begin(), L'0');
  return text + L"E" + (e < 0 ? L"-" : (general ? L"" : L"+")) + power;
}

String FixedText(const TDecimal& d, int decimals, bool thousands) {
  String whole;
  for (int i = 0; i <= d.exponent; ++i) whole.push_back(DigitAt(d, i));
  if (whole.empty()) whole = L"0";
  if (thousands)
    for (int at = static_cast<int>(whole.size()) - 3; at > 0; at -= 3)
      whole.insert(whole.begin() + at, ThousandSeparator());
  if (decimals <= 0) return whole;
  String fraction;
  for (int j = 1; j <= decimals; ++j) fraction.push_back(DigitAt(d, d.exponent + j));
  return whole + DecimalSeparator() + fraction;
}

}  // namespace

wchar_t DecimalSeparator() { return LocaleChar(LOCALE_SDECIMAL, L'.'); }
wchar_t ThousandSeparator() { return LocaleChar(LOCALE_STHOUSAND, L','); }

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (std::isnan(value)) return L"NAN";
  if (std::isinf(value)) return value < 0 ? L"-INF" : L"INF";
  precision = std::clamp(precision, 1, 15);
  TDecimal d = ToDecimal(value, precision);
  String text;
  if (value == 0) d = TDecimal{std::string(static_cast<size_t>(precision), '0'), 0};
  switch (format) {
    case ffExponent:
      text = ExponentText(d, precision, std::clamp(digits, 0, 4), false);
      break;
    case ffGeneral:
      if (value == 0) return L"0";
      text = (d.exponent >= precision || d.exponent < -5)
                 ? ExponentText(d, precision, 0, true)
                 : FixedText(d, std::max(0, static_cast<int>(d.digits.find_last_not_of('0')) -
                                                d.exponent),
                             false);
      break;
    case ffFixed:
    case ffNumber:
      if (d.exponent >= precision) return FloatToStrF(value, ffGeneral, precision, 0);
      digits = std::clamp(digits, 0, 18);
      RoundDigits(d, d.exponent + 1 + digits);
      text = FixedText(d, digits, format == ffNumber);
      break;
  }
  const bool nonZero = text.find_first_of(L"123456789") < text.find(L'E');
  return value < 0 && nonZero ? L"-" + text : text;
}

String FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

// ---------------------------------------------------------------------------------------------
// Format

namespace {

class TFormatter {
 public:
  TFormatter(const String& format, std::initializer_list<TVarRec> args)
      : format_(format), args_(args.begin(), args.end()) {}

  String Run() {
    String out;
    while (at_ < format_.size()) {
      wchar_t c = format_[at_++];
      if (c != L'%') {
        out.push_back(c);
      } else if (Peek() == L'%') {
        ++at_;
        out.push_back(L'%');
      } else {
        out += Specifier();
      }
    }
    return out;
  }

 private:
  [[noreturn]] void Fail() const {
    throw EConvertError(L"Format '" + format_ + L"' invalid or incompatible with argument");
  }
  wchar_t Peek() const { return at_ < format_.size() ? format_[at_] : L'\0'; }

  // Digits, "*" (the next argument) or nothing (-1).
  int Number() {
    if (Peek() == L'*') {
      ++at_;
      const TVarRec& arg = Next();
      if (arg.kind != TVarRec::vtInteger) Fail();
      return static_cast<int>(arg.integer);
    }
    if (Peek() < L'0' || Peek() > L'9') return -1;
    int n = 0;
    while (Peek() >= L'0' && Peek() <= L'9') n = n * 10 + (format_[at_++] - L'0');
    return n;
  }

  const TVarRec& Next() {
    if (next_ >= args_.size()) Fail();
    return args_[next_++];
  }

  String Specifier() {
    int first = Number();
    if (Peek() == L':') {
      ++at_;
      if (first < 0) Fail();
      next_ = static_cast<size_t>(first);
      first = -1;
    }
    const bool left = Peek() == L'-';
    if (left) ++at_;
    const int width = first >= 0 ? first : Number();
    int precision = -1;
    if (Peek() == L'.') {
      ++at_;
      precision = std::max(Number(), 0);
    }
    if (at_ >= format_.size()) Fail();
    const wchar_t type = static_cast<wchar_t>(towlower(format_[at_++]));
    String text = Convert(type, precision, Next());
    if (width > static_cast<int>(text.size())) {
      const String pad(static_cast<size_t>(width) - text.size(), L' ');
      text = left ? text + pad : pad + text;
    }
    return text;
  }

  // The value as unsigned: a negative one as the two's complement of its 32 or 64 bits.
  static unsigned long long Unsigned(long long v) {
    if (v >= 0 || v < INT32_MIN) return static_cast<unsigned long long>(v);
    return static_cast<uint32_t>(v);
  }

  String Convert(wchar_t type, int precision, const TVarRec& arg) {
    const bool isInt = arg.kind == TVarRec::vtInteger;
    const bool isNumber = isInt || arg.kind == TVarRec::vtFloat;
    const double real = isInt ? static_cast<double>(arg.integer) : arg.real;
    switch (type) {
      case L'd': {
        if (!isInt) Fail();
        String digits = IntToStr(arg.integer < 0 ? -arg.integer : arg.integer);
        if (arg.integer == INT64_MIN) digits = L"9223372036854775808";
        if (static_cast<int>(digits.size()) < precision)
          digits.insert(0, static_cast<size_t>(precision) - digits.size(), L'0');
        return arg.integer < 0 ? L"-" + digits : digits;
      }
      case L'u':
        if (!isInt) Fail();
        return std::to_wstring(Unsigned(arg.integer));
      case L'x':
        if (!isInt) Fail();
        return IntToHexBits(Unsigned(arg.integer), precision);
      case L's':
        if (arg.kind != TVarRec::vtString) Fail();
        return precision >= 0 ? arg.text.substr(0, static_cast<size_t>(precision)) : arg.text;
      case L'f':
      case L'n':
        if (!isNumber) Fail();
        return FloatToStrF(real, type == L'f' ? ffFixed : ffNumber, 15, precision < 0 ? 2 : precision);
      case L'e':
        if (!isNumber) Fail();
        return FloatToStrF(real, ffExponent, precision < 0 ? 15 : precision, 3);
      case L'g':
        if (!isNumber) Fail();
        return FloatToStrF(real, ffGeneral, precision < 0 ? 15 : precision, 3);
      default:
        Fail();
    }
  }

  const String& format_;
  std::vector<TVarRec> args_;
  size_t at_ = 0;
  size_t next_ = 0;
};

}  // namespace

String Format(const String& format, std::initializer_list<TVarRec> args) {
  return TFormatter(format, args).Run();
}

// ---------------------------------------------------------------------------------------------
// Dates and times

namespace {

// Day 0 is 30 December 1899; the civil-calendar arithmetic counts days from 1 March of year 0.
constexpr long long kDayZeroFromCivil = 693899;

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - kDayZeroFromCivil;
}

void CivilFromDays(long long z, int& year, int& month, int& day) {
  z += kDayZeroFromCivil;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (month <= 2));
}

bool IsLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// The whole days and the milliseconds of the day, rounded to the millisecond. A negative value
// counts its days towards zero and its time of day as the fraction's magnitude.
void SplitDateTime(TDateTime value, long long& days, long long& msOfDay) {
  if (value >= 0) {
    long long total = std::llround(value * static_cast<double>(MSecsPerDay));
    days = total / MSecsPerDay;
    msOfDay = total % MSecsPerDay;
  } else {
    days = static_cast<long long>(std::trunc(value));
    msOfDay = std::llround(std::fabs(value - static_cast<double>(days)) * MSecsPerDay);
    if (msOfDay >= MSecsPerDay) msOfDay = MSecsPerDay - 1;
  }
}

[[noreturn]] void RaiseEncode(const wchar_t* what) {
  throw EConvertError(String(L"Invalid argument to ") + what + L" encode");
}

String FormatWith(int(WINAPI* format)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int), DWORD flags,
                  TDateTime value) {
  const SYSTEMTIME st = DateTimeToSystemTime(value);
  const LCID locale = seams::Clock().Locale();
  wchar_t buffer[128] = {};
  int n = format(locale, flags, &st, nullptr, buffer, static_cast<int>(std::size(buffer)));
  return n > 0 ? String(buffer, static_cast<size_t>(n - 1)) : String();
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& value) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    return false;
  value = static_cast<double>(
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)));
  return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& value) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      msec < 0 || msec > 999)
    return false;
  const long long ms = ((hour * 60LL + minute) * 60 + second) * 1000 + msec;
  value = static_cast<double>(ms) / static_cast<double>(MSecsPerDay);
  return true;
}

TDateTime EncodeDate(int year, int month, int day) {
  TDateTime value = 0;
  if (!TryEncodeDate(year, month, day, value)) RaiseEncode(L"date");
  return value;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
  TDateTime value = 0;
  if (!TryEncodeTime(hour, minute, second, msec, value)) RaiseEncode(L"time");
  return value;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  CivilFromDays(days, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
  long long days = 0, ms = 0;
  SplitDateTime(value, days, ms);
  msec = static_cast<int>(ms % 1000);
  second = static_cast<int>(ms / 1000 % 60);
  minute = static_cast<int>(ms / 60000 % 60);
  hour = static_cast<int>(ms / 3600000);
}

SYSTEMTIME DateTimeToSystemTime(TDateTime value) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, ms = 0;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  long long days = 0, rest = 0;
  SplitDateTime(value, days, rest);
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  // 30 December 1899 was a Saturday.
  st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

TDateTime Now() { return seams::Clock().Now(); }
TDateTime Date() { return std::floor(Now()); }
TDateTime Time() {
  const TDateTime now = Now();
  return now - std::floor(now);
}

String DateToStr(TDateTime value) { return FormatWith(GetDateFormatW, DATE_SHORTDATE, value); }
String TimeToStr(TDateTime value) { return FormatWith(GetTimeFormatW, 0, value); }

String DateTimeToStr(TDateTime value) {
  int h = 0, m = 0, s = 0, ms = 0;
  DecodeTime(value, h, m, s, ms);
  String text = DateToStr(value);
  if (h != 0 || m != 0 || s != 0) text += L" " + TimeToStr(value);
  return text;
}

// ---------------------------------------------------------------------------------------------
// Random numbers

int Random(int range) { return seams::Random().Next(range); }
