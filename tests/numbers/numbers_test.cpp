#include "numbers/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>

namespace orvane::numbers {
namespace {

TEST(Numbers, RoundHalfEvenAndInt) {
  const std::tuple<double, int, double> cases[] = {
      {2.125, 2, 2.12},    {2.375, 2, 2.38},
      {0.5, 0, 0.0},       {1.5, 0, 2.0},
      {-2.5, 0, -2.0},     {-2.6, 0, -3.0},
      {16786.5, 0, 16786}, {47.46237, 3, 47.462},
      {1e300, 2, 1e300},   {(0.010001 + 0.010002) / 2, 6, 0.010002}};
  for (const auto& [v, decimals, rounded] : cases) EXPECT_EQ(RoundHalfEven(v, decimals), rounded);
  EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4)));
  EXPECT_EQ(std::pair(Int(724.8012), Int(-0.5)), std::pair(724.0, -1.0));
}

// Too small for a double is zero, too large is no number; a zero never keeps its sign.
TEST(Numbers, ParseNumberAcceptsUsNumbersOnlyAndEntriesNeverRefuse) {
  const std::pair<const char*, double> good[] = {{"  1,000.00", 1000},
                                                 {" 4.600", 4.6},
                                                 {"-5", -5},
                                                 {"+7 ", 7},
                                                 {".5", 0.5},
                                                 {"5.", 5},
                                                 {"1e3", 1000},
                                                 {"2.5E-1", 0.25},
                                                 {"1e308", 1e308},
                                                 {"-0", 0},
                                                 {"-1e-400", 0},
                                                 {"20,000.000", 20000},
                                                 {"12345E-10", 12345e-10},
                                                 {"1e+2", 100},
                                                 {"0.5e-400", 0},
                                                 {"9e99", 9e99}};
  for (const auto& [text, value] : good) {
    EXPECT_EQ(ParseNumber(text), value) << text;
    EXPECT_FALSE(value == 0 && std::signbit(*ParseNumber(text))) << text;
  }
  for (const char* bad :
       {"", "   ", "abc", "1.2.3", "1,5.0.", ",5", "1e", "1e+", "NaN", "inf", "1e400", "0.5e400",
        "10000e306", "$5", "(5)", "1 000", "0x10", "5-", "\xc3\xa9"}) {
    EXPECT_EQ(ParseNumber(bad), std::nullopt) << bad;
  }

  // A form's entry never refuses: what its rule does not take becomes the rule's default.
  const NumberRule benefit{0, 100000, false, 1000, false};
  const NumberRule survivor{0, 100, true, 0, false};
  const NumberRule year{2007, 2020, false, 2008, true};
  const std::tuple<const char*, const NumberRule&, double> cases[] = {
      {"", benefit, 1000},    {"abc", benefit, 1000},    {"-5", benefit, 1000},
      {"0", benefit, 0},      {"100000", benefit, 1000}, {"99999.996", benefit, 99999.996},
      {"100", survivor, 100}, {"100.5", survivor, 0},    {"8", year, 2008},
      {"19", year, 2019},     {"20", year, 2008},        {"99", year, 2008},
      {"2006", year, 2008},   {"2019", year, 2019}};
  for (const auto& [text, rule, value] : cases) EXPECT_EQ(NumberEntry(text, rule), value) << text;
}

// Halves are rounded away from zero on the decimal value: the double 1.005 is 1.00499999...
TEST(Numbers, PicturesAndResultTexts) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {1000, "###,##0.00", "1,000.00"},
      {0, "#0.000", "0.000"},
      {5, "#00.000", "05.000"},
      {100, "#00.000", "100.000"},
      {5.6, "#0", "6"},
      {99999.996, "###,##0.00", "100,000.00"},
      {0.0001234, "0.00000000", "0.00012340"},
      {123456789.0, "#0", "123456789"},
      {1.005, "0.00", "1.01"},
      {-2.5, "#0", "-3"},
      {999.5, "#,##0", "1,000"},
      {-0.0004, "0.000", "0.000"},
      {-1234.5, "##,###,##0.00", "-1,234.50"},
      {1.25, "0.0#", "1.25"},
      {1.2, "0.0#", "1.2"}};
  for (const auto& [v, pattern, text] : cases) {
    EXPECT_EQ(FormatPicture(v, pattern), text);
    EXPECT_TRUE(ParseNumber(text)) << text;
  }
  // Cents are rounded to even first.
  EXPECT_EQ(ResultText(1234.125) + " " + ResultText(1234.375) + " " + ResultText(-0.001),
            "1,234.12 1,234.38 0.00");
  EXPECT_EQ(ShortestText(-0.0), "0");
  EXPECT_THROW(FormatPicture(std::numeric_limits<double>::infinity(), "0.00"), NumberError);
  EXPECT_THROW(ResultText(std::nan("")), NumberError);
  EXPECT_THROW(ShortestText(std::nan("")), NumberError);
}

}  // namespace
}  // namespace orvane::numbers
