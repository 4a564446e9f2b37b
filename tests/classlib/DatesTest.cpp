#include "classlib/Seams.h"
#include "classlib/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A clock that stands still at a chosen moment, in a chosen locale.
class TFixedClock : public seams::TClock {
 public:
  TFixedClock(TDateTime moment, LCID locale) : moment_(moment), locale_(locale) {}
  TDateTime Now() override { return moment_; }
  LCID Locale() override { return locale_; }

 private:
  TDateTime moment_;
  LCID locale_;
};

constexpr LCID kEnglishUS = 0x0409;
constexpr LCID kGerman = 0x0407;

TDateTime Moment(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, s, ms);
}

TEST(Dates, EncodeAndDecodeRoundTrip) {
  EXPECT_EQ(0.0, EncodeDate(1899, 12, 30));
  EXPECT_EQ(1.0, EncodeDate(1899, 12, 31));
  EXPECT_EQ(25569.0, EncodeDate(1970, 1, 1));
  EXPECT_EQ(-1.0, EncodeDate(1899, 12, 29));
  EXPECT_EQ(0.5, EncodeTime(12, 0, 0, 0));

  struct Case {
    int y, mo, d, h, mi, s, ms;
  } cases[] = {{2026, 12, 9, 11, 18, 40, 0}, {2000, 2, 29, 23, 59, 59, 999},
               {1, 1, 1, 0, 0, 0, 0},        {9999, 12, 31, 12, 30, 0, 500},
               {1900, 3, 1, 0, 0, 1, 0},     {1850, 6, 15, 0, 0, 0, 0}};
  for (const Case& c : cases) {
    const TDateTime v = Moment(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms);
    int y, mo, d, h, mi, s, ms;
    DecodeDate(v, y, mo, d);
    DecodeTime(v, h, mi, s, ms);
    EXPECT_EQ(c.y, y);
    EXPECT_EQ(c.mo, mo);
    EXPECT_EQ(c.d, d);
    EXPECT_EQ(c.h, h);
    EXPECT_EQ(c.mi, mi);
    EXPECT_EQ(c.s, s);
    EXPECT_EQ(c.ms, ms);
  }
}

// Before day 0 the days count towards zero and the fraction's magnitude is the time of day.
TEST(Dates, NegativeValuesKeepTheTimeAsTheFractionsMagnitude) {
  int y, mo, d, h, mi, s, ms;
  DecodeDate(-1.25, y, mo, d);
  DecodeTime(-1.25, h, mi, s, ms);
  EXPECT_EQ(1899, y);
  EXPECT_EQ(12, mo);
  EXPECT_EQ(29, d);
  EXPECT_EQ(6, h);
  EXPECT_EQ(0, mi);
}

TEST(Dates, InvalidPartsRaiseConvertError) {
  EXPECT_THROW(EncodeDate(2026, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2026, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(2024, 2, 29, v));
  EXPECT_FALSE(TryEncodeDate(1900, 2, 29, v));
}

TEST(Dates, SystemTimeCarriesTheWeekday) {
  // 9 December 2026 is a Wednesday.
  SYSTEMTIME st = DateTimeToSystemTime(Moment(2026, 12, 9, 11, 18, 40));
  EXPECT_EQ(3, st.wDayOfWeek);
  EXPECT_EQ(0, DateTimeToSystemTime(EncodeDate(2026, 12, 13)).wDayOfWeek);
}

TEST(Dates, SystemTimesBeforeDayZero) {
  // 29 December 1899 at 06:00 and 1 June 1850 at 18:00.
  const SYSTEMTIME st = DateTimeToSystemTime(-1.25);
  EXPECT_EQ(29, st.wDay);
  EXPECT_EQ(6, st.wHour);
  const SYSTEMTIME old = DateTimeToSystemTime(-18109.75);
  EXPECT_EQ(1850, old.wYear);
  EXPECT_EQ(6, old.wMonth);
  EXPECT_EQ(1, old.wDay);
  EXPECT_EQ(18, old.wHour);
}

TEST(Dates, NowDateAndTimeComeFromTheClock) {
  const TDateTime moment = Moment(2026, 12, 9, 11, 18, 40);
  TFixedClock clock(moment, kEnglishUS);
  seams::Scoped<seams::TClock> scope(clock);
  EXPECT_EQ(moment, Now());
  EXPECT_EQ(EncodeDate(2026, 12, 9), Date());
  EXPECT_NEAR(EncodeTime(11, 18, 40, 0), Time(), 1e-9);
  EXPECT_LT(Time(), 1.0);
}

TEST(Dates, TextsInTheClocksLocale) {
  TFixedClock clock(0, kEnglishUS);
  seams::Scoped<seams::TClock> scope(clock);
  struct Case {
    TDateTime value;
    const wchar_t* dateTime;
  } cases[] = {
      {Moment(2026, 12, 9, 11, 18, 40), L"12/9/2026 11:18:40 AM"},
      {Moment(2026, 12, 9, 23, 5, 1), L"12/9/2026 11:05:01 PM"},
      {EncodeDate(2026, 12, 9), L"12/9/2026"},                   // exactly midnight: no time
      {Moment(2026, 1, 2, 0, 0, 0, 400), L"1/2/2026"},           // below a second still counts as midnight
      {Moment(2026, 1, 2, 0, 0, 1), L"1/2/2026 12:00:01 AM"},
      {0.5, L"12/30/1899 12:00:00 PM"},                          // a time alone keeps day 0
  };
  for (const Case& c : cases) EXPECT_EQ(c.dateTime, DateTimeToStr(c.value));
  EXPECT_EQ(L"12/9/2026", DateToStr(Moment(2026, 12, 9, 11, 18, 40)));
  EXPECT_EQ(L"11:18:40 AM", TimeToStr(Moment(2026, 12, 9, 11, 18, 40)));
  EXPECT_EQ(L"12:00:00 AM", TimeToStr(EncodeDate(2026, 12, 9)));
}

TEST(Dates, AnotherLocaleGivesItsOwnFormats) {
  TFixedClock clock(0, kGerman);
  seams::Scoped<seams::TClock> scope(clock);
  const TDateTime v = Moment(2026, 12, 9, 15, 18, 40);
  const String date = DateToStr(v);
  EXPECT_NE(String::npos, date.find(L"12.2026")) << testing::PrintToString(date);
  EXPECT_EQ(L"15:18:40", TimeToStr(v));
  EXPECT_EQ(date + L" 15:18:40", DateTimeToStr(v));
}

}  // namespace
