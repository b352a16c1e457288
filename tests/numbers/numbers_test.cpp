#include "numbers/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace orvane::numbers {
namespace {

TEST(Numbers, RoundHalfEvenAndInt) {
  struct Case {
    double v;
    int decimals;
    double rounded;
  };
  const Case cases[] = {{2.125, 2, 2.12},
                        {2.375, 2, 2.38},
                        {0.5, 0, 0.0},
                        {1.5, 0, 2.0},
                        {-2.5, 0, -2.0},
                        {-2.6, 0, -3.0},
                        {16786.5, 0, 16786},
                        {47.46237, 3, 47.462},
                        {1e300, 2, 1e300},
                        {-0.4, 0, 0.0},
                        {(0.010001 + 0.010002) / 2, 6, 0.010002}};
  for (const auto& c : cases) EXPECT_EQ(RoundHalfEven(c.v, c.decimals), c.rounded) << c.v;
  EXPECT_FALSE(std::signbit(RoundHalfEven(-0.4)));
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""), 2)));
  EXPECT_EQ(Int(724.8012), 724.0);
  EXPECT_EQ(Int(-0.5), -1.0);
  EXPECT_EQ(Int(3.0), 3.0);
}

TEST(Numbers, ParseNumberAcceptsUsNumbersOnly) {
  struct Case {
    const char* text;
    double value;
  };
  const Case good[] = {{"  1,000.00", 1000}, {" 4.600", 4.6}, {"-5", -5},    {"+7 ", 7},
                       {".5", 0.5},          {"5.", 5},       {"1e3", 1000}, {"2.5E-1", 0.25},
                       {"1e308", 1e308},     {"-0", 0},       {"1e-400", 0}, {"-1e-400", 0},
                       {"20,000.000", 20000}};
  for (const auto& c : good) {
    EXPECT_EQ(ParseNumber(c.text), c.value) << c.text;
    EXPECT_FALSE(std::signbit(*ParseNumber(c.text)) && c.value == 0) << c.text;
  }
  for (const char* bad : {"",    "   ", "abc",   "1.2.3", "1,5.0.", ",5",         "1e",
                          "1e+", "NaN", "inf",   "-inf",  "1e400",  "10000e306",  "$5",
                          "(5)", "5%",  "1 000", "0x10",  "5-",     "1,000.00,0", "\xc3\xa9"}) {
    EXPECT_EQ(ParseNumber(bad), std::nullopt) << bad;
  }
  for (const char* pattern : {"##,###,##0.00", "#0.000", "#00.000", "#0", "0.00000000"}) {
    for (double v : {0.0, 4.6, 99.9995, 1234.5678, 99999.996}) {
      EXPECT_TRUE(ParseNumber(FormatPicture(v, pattern))) << pattern << " " << v;
    }
  }
}

TEST(Numbers, PicturesRoundHalvesAwayFromZeroOnTheDecimalValue) {
  struct Case {
    double v;
    const char* pattern;
    const char* text;
  };
  const Case cases[] = {{1000, "###,##0.00", "1,000.00"},
                        {20000, "###,##0.000", "20,000.000"},
                        {0, "#0.000", "0.000"},
                        {5, "#00.000", "05.000"},
                        {100, "#00.000", "100.000"},
                        {2008, "#000", "2008"},
                        {5.6, "#0", "6"},
                        {99999.996, "###,##0.00", "100,000.00"},
                        {99.9999, "00.000", "100.000"},
                        {7, "##", "7"},
                        {0.0001234, "0.00000000", "0.00012340"},
                        {0.5, "##,###,##0.00", "0.50"},
                        {123456789.0, "#0", "123456789"},
                        {1.005, "0.00", "1.01"},
                        {2.5, "#0", "3"},
                        {-2.5, "#0", "-3"},
                        {0.9995, "0.000", "1.000"},
                        {999.5, "#,##0", "1,000"},
                        {-0.0004, "0.000", "0.000"},
                        {-1234.5, "##,###,##0.00", "-1,234.50"},
                        {1.25, "0.0#", "1.25"},
                        {1.2, "0.0#", "1.2"}};
  for (const auto& c : cases) EXPECT_EQ(FormatPicture(c.v, c.pattern), c.text) << c.v;
  try {
    FormatPicture(std::numeric_limits<double>::infinity(), "0.00");
    ADD_FAILURE();
  } catch (const NumberError& e) {
    EXPECT_EQ(std::string(e.what()),
              "cannot show a number in the format \"0.00\": the value is not a finite number");
  }
}

TEST(Numbers, ResultAndShortestTexts) {
  EXPECT_EQ(ResultText(1234.125), "1,234.12");  // cents rounded to even first
  EXPECT_EQ(ResultText(1234.375), "1,234.38");
  EXPECT_EQ(ResultText(1234567.891), "1,234,567.89");
  EXPECT_EQ(ResultText(-0.001), "0.00");
  EXPECT_THROW(ResultText(std::nan("")), NumberError);
  EXPECT_EQ(ShortestText(65.0), "65");
  EXPECT_EQ(ShortestText(47.462), "47.462");
  EXPECT_EQ(ShortestText(-0.0), "0");
  EXPECT_EQ(ShortestText(-1.5), "-1.5");
  EXPECT_THROW(ShortestText(std::nan("")), NumberError);
}

TEST(Numbers, NumberEntryNormalisesWithoutRefusing) {
  const NumberRule benefit{0, 100000, false, 1000, false};
  const NumberRule survivor{0, 100, true, 0, false};
  const NumberRule year{2007, 2020, false, 2008, true};
  struct Case {
    const char* text;
    const NumberRule& rule;
    double value;
  };
  const Case cases[] = {
      {"", benefit, 1000},    {"abc", benefit, 1000},    {"-5", benefit, 1000},
      {"0", benefit, 0},      {"100000", benefit, 1000}, {"99999.996", benefit, 99999.996},
      {"100", survivor, 100}, {"100.5", survivor, 0},    {"8", year, 2008},
      {"19", year, 2019},     {"20", year, 2008},        {"99", year, 2008},
      {"-5", year, 2008},     {"2006", year, 2008},      {"2019", year, 2019}};
  for (const auto& c : cases) EXPECT_EQ(NumberEntry(c.text, c.rule), c.value) << c.text;
}

}  // namespace
}  // namespace orvane::numbers
