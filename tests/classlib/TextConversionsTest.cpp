#include "classlib/Seams.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace {

TEST(TextConversions, IntToHexPadsUpperCaseAndWritesLongValuesInFull) {
  struct Case {
    long long value;
    int digits;
    const wchar_t* text;
  } cases[] = {
      {0, 6, L"000000"},       {300, 6, L"00012C"},   {0x99FFFF, 6, L"99FFFF"},
      {0xFFFFFF, 6, L"FFFFFF"}, {0x1000000, 6, L"1000000"}, {0xab, 0, L"AB"},
      {0, 0, L"0"},             {1, 2, L"01"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, IntToHex(c.value, c.digits)) << c.value;
}

TEST(TextConversions, IntToHexWritesNegativeValuesInTheWidthOfTheirType) {
  EXPECT_EQ(L"FFFFFFFB", IntToHex(-5, 6));
  EXPECT_EQ(L"FFFFFFFFFFFFFFFB", IntToHex(int64_t{-5}, 6));
  EXPECT_EQ(L"FFFFFFFF", IntToHex(static_cast<DWORD>(0xFFFFFFFF), 2));
}

TEST(TextConversions, IntToStr) {
  EXPECT_EQ(L"0", IntToStr(0));
  EXPECT_EQ(L"-2147483648", IntToStr(INT32_MIN));
  EXPECT_EQ(L"10092543", IntToStr(10092543));
  EXPECT_EQ(L"-9223372036854775808", IntToStr(INT64_MIN));
}

// The spellings the settings and note readers meet: what converts, and to what.
TEST(TextConversions, StrToIntSpellings) {
  struct Case {
    const wchar_t* text;
    bool ok;
    int value;
  } cases[] = {
      {L"0", true, 0},
      {L"50", true, 50},
      {L"-1", true, -1},
      {L"+7", true, 7},
      {L"  42", true, 42},          // leading blanks are skipped
      {L"42 ", false, 0},           // a trailing blank is not
      {L"4 2", false, 0},
      {L"\t42", false, 0},          // only the space counts as a leading blank
      {L"", false, 0},
      {L" ", false, 0},
      {L"-", false, 0},
      {L"abc", false, 0},
      {L"12abc", false, 0},
      {L"0x12C", true, 300},
      {L"0X12c", true, 300},
      {L"$FF", true, 255},
      {L"-$10", true, -16},
      {L"0x", false, 0},
      {L"$", false, 0},
      {L"0xG", false, 0},
      {L"0x000000", true, 0},
      {L"0x99FFFF", true, 0x99FFFF},
      {L"$FFFFFFFF", true, -1},     // hexadecimal is taken as 32 bits
      {L"$100000000", false, 0},
      {L"2147483647", true, 2147483647},
      {L"-2147483648", true, INT32_MIN},
      {L"2147483648", false, 0},
      {L"-2147483649", false, 0},
      {L"1.5", false, 0},
  };
  for (const Case& c : cases) {
    int value = 12345;
    EXPECT_EQ(c.ok, TryStrToInt(c.text, value)) << testing::PrintToString(String(c.text));
    if (c.ok) {
      EXPECT_EQ(c.value, value) << testing::PrintToString(String(c.text));
    }
    EXPECT_EQ(c.ok ? c.value : -99, StrToIntDef(c.text, -99));
  }
}

TEST(TextConversions, StrToIntRaisesConvertErrorNamingTheText) {
  try {
    StrToInt(L"abc");
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_EQ(L"'abc' is not a valid integer value", e.Message());
  }
  EXPECT_EQ(300, StrToInt(L"0x00012C"));
}

TEST(TextConversions, TryStrToInt64) {
  long long value = 0;
  EXPECT_TRUE(TryStrToInt64(L"9223372036854775807", value));
  EXPECT_EQ(0x7FFFFFFFFFFFFFFFLL, value);
  EXPECT_TRUE(TryStrToInt64(L"$FFFFFFFFFFFFFFFF", value));
  EXPECT_EQ(-1LL, value);
  EXPECT_TRUE(TryStrToInt64(L"0x100000000", value));
  EXPECT_EQ(0x100000000LL, value);
  EXPECT_FALSE(TryStrToInt64(L"9223372036854775808", value));
  EXPECT_FALSE(TryStrToInt64(L"x", value));
}

TEST(TextConversions, BooleanSpellings) {
  struct Case {
    const wchar_t* text;
    bool ok;
    bool value;
  } cases[] = {
      {L"-1", true, true}, {L"0", true, false},    {L"1", true, true},  {L"5", true, true},
      {L"True", true, true}, {L"true", true, true}, {L"FALSE", true, false},
      {L"yes", false, false}, {L"", false, false}, {L" True", false, false},
  };
  for (const Case& c : cases) {
    bool value = !c.value;
    EXPECT_EQ(c.ok, TryStrToBool(c.text, value)) << testing::PrintToString(String(c.text));
    if (c.ok) {
      EXPECT_EQ(c.value, value) << testing::PrintToString(String(c.text));
    }
  }
  EXPECT_THROW(StrToBool(L"maybe"), EConvertError);
  EXPECT_EQ(L"-1", BoolToStr(true));
  EXPECT_EQ(L"0", BoolToStr(false));
  EXPECT_EQ(L"True", BoolToStr(true, true));
  EXPECT_EQ(L"False", BoolToStr(false, true));
}

TEST(TextConversions, TrimRemovesBlanksAndControlCharacters) {
  const String text = L" \t\r\n hello world \x01\r\n";
  EXPECT_EQ(L"hello world", Trim(text));
  EXPECT_EQ(L"hello world \x01\r\n", TrimLeft(text));
  EXPECT_EQ(L" \t\r\n hello world", TrimRight(text));
  EXPECT_EQ(L"", Trim(L"  \r\n "));
  EXPECT_EQ(L"\x00A0x\x00A0", Trim(L"\x00A0x\x00A0"));  // only characters up to the blank
}

TEST(TextConversions, CaseAndComparison) {
  EXPECT_EQ(L"ABC\x00E9", UpperCase(L"abc\x00E9"));  // only a-z change
  EXPECT_EQ(L"abc\x00C9", LowerCase(L"ABC\x00C9"));
  EXPECT_EQ(L"ABC\x00C9", AnsiUpperCase(L"abc\x00E9"));
  EXPECT_EQ(L"abc\x00E9", AnsiLowerCase(L"ABC\x00C9"));
  EXPECT_EQ(0, CompareText(L"Ide", L"IDE"));
  EXPECT_LT(CompareText(L"abc", L"ABD"), 0);
  EXPECT_GT(CompareText(L"abcd", L"ABC"), 0);
  EXPECT_TRUE(SameText(L"Default", L"dEFAULT"));
  EXPECT_FALSE(SameText(L"Default", L"Defaults"));
  EXPECT_NE(0, CompareStr(L"a", L"A"));
  EXPECT_TRUE(AnsiSameText(L"\x00E9t\x00E9", L"\x00C9T\x00C9"));
  EXPECT_LT(AnsiCompareText(L"apple", L"Banana"), 0);
}

TEST(TextConversions, StringReplace) {
  EXPECT_EQ(L"milk%0D%0Aeggs", StringReplace(L"milk\r\neggs", L"\r\n", L"%0D%0A", rfReplaceAll));
  EXPECT_EQ(L"xbab", StringReplace(L"abab", L"a", L"x", 0));
  EXPECT_EQ(L"xbxB", StringReplace(L"AbaB", L"a", L"x", rfReplaceAll | rfIgnoreCase));
  EXPECT_EQ(L"same", StringReplace(L"same", L"", L"x", rfReplaceAll));
}

// The separators come from the clock seam's locale: US English here, whatever the host says.
class TUsLocale : public seams::TClock {
 public:
  LCID Locale() override { return 0x0409; }
};

TEST(TextConversions, FloatTexts) {
  TUsLocale us;
  seams::Scoped<seams::TClock> scope(us);
  struct Case {
    double value;
    TFloatFormat format;
    int precision, digits;
    const wchar_t* text;
  } cases[] = {
      {1.5, ffFixed, 15, 2, L"1.50"},          {2.675, ffFixed, 15, 0, L"3"},
      {-0.125, ffFixed, 15, 2, L"-0.13"},      {0.004, ffFixed, 15, 2, L"0.00"},
      {-0.004, ffFixed, 15, 2, L"0.00"},       {99.995, ffFixed, 3, 2, L"100.00"},
      {1234567.891, ffNumber, 15, 2, L"1,234,567.89"},
      {0.1, ffGeneral, 15, 0, L"0.1"},         {100, ffGeneral, 15, 0, L"100"},
      {1e20, ffGeneral, 15, 0, L"1E20"},       {1.5e-7, ffGeneral, 15, 0, L"1.5E-7"},
      {0.00015, ffGeneral, 15, 0, L"0.00015"}, {0, ffGeneral, 15, 0, L"0"},
      {-2.5, ffGeneral, 15, 0, L"-2.5"},       {1.0 / 3, ffGeneral, 4, 0, L"0.3333"},
      {150, ffExponent, 4, 3, L"1.500E+002"},  {-0.015, ffExponent, 2, 2, L"-1.5E-02"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.text, FloatToStrF(c.value, c.format, c.precision, c.digits)) << c.value;
  EXPECT_EQ(L"3.14159", FloatToStr(3.14159));
  EXPECT_EQ(L'.', DecimalSeparator());
  EXPECT_EQ(L"NAN", FloatToStr(std::nan("")));
}

TEST(TextConversions, FloatTextsUseTheLocalesSeparators) {
  struct TGerman : seams::TClock {
    LCID Locale() override { return 0x0407; }
  } german;
  seams::Scoped<seams::TClock> scope(german);
  EXPECT_EQ(L"1.234,50", FloatToStrF(1234.5, ffNumber, 15, 2));
  EXPECT_EQ(L"0,5", FloatToStr(0.5));
}

TEST(TextConversions, FormatSpecifiers) {
  TUsLocale us;
  seams::Scoped<seams::TClock> scope(us);
  EXPECT_EQ(L"Ctrl+B (Bold)", Format(L"%s (%s)", {L"Ctrl+B", String(L"Bold")}));
  EXPECT_EQ(L"[  42|42  |0042|-7]", Format(L"[%4d|%-4d|%.4d|%d]", {42, 42, 42, -7}));
  EXPECT_EQ(L"FF 4294967295 00FF", Format(L"%x %u %.4x", {255, -1, 255}));
  EXPECT_EQ(L"1.50 1,000.00 2.5", Format(L"%.2f %n %g", {1.5, 1000.0, 2.5}));
  EXPECT_EQ(L"b a b", Format(L"%1:s %0:s %s", {L"a", L"b"}));
  EXPECT_EQ(L"  x|ab", Format(L"%*s|%.*s", {3, L"x", 2, L"abc"}));
  EXPECT_EQ(L"100%", Format(L"%d%%", {100}));
  EXPECT_EQ(L"&1 a.txt", Format(L"&%s %s", {L'1', L"a.txt"}));
  for (const wchar_t* bad : {L"%d", L"%f", L"%x", L"%q", L"%", L"%5"}) {
    EXPECT_THROW(Format(bad, {L"text"}), EConvertError) << testing::PrintToString(String(bad));
  }
  EXPECT_THROW(Format(L"%s %s", {L"one"}), EConvertError);
}

TEST(TextConversions, RandomGoesThroughTheSeam) {
  struct TFixed : seams::TRandom {
    int Next(int range) override { return range - 1; }
  } fixed;
  seams::Scoped<seams::TRandom> scope(fixed);
  EXPECT_EQ(39, Random(40));
}

}  // namespace
