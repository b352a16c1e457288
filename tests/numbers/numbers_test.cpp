#include "numbers/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace orvane::numbers {
namespace {

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.125, 2), 2.12);
  EXPECT_EQ(RoundHalfEven(2.375, 2), 2.38);
  EXPECT_EQ(RoundHalfEven(0.5), 0.0);
  EXPECT_EQ(RoundHalfEven(1.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(16786.5), 16786.0);
  EXPECT_EQ(RoundHalfEven(16879.5), 16880.0);
  EXPECT_EQ(RoundHalfEven(47.46237, 3), 47.462);
  // Six decimals, as the blends use: 0.0100015 scaled is 10001.5 -> 10002.
  EXPECT_EQ(RoundHalfEven((0.010001 + 0.010002) / 2, 6), 0.010002);
  EXPECT_EQ(RoundHalfEven((0.5 + 0.000001) / 2, 6), 0.25);
  EXPECT_TRUE(std::isnan(RoundHalfEven(std::nan(""), 2)));
  EXPECT_EQ(RoundHalfEven(1e300, 2), 1e300);
}

TEST(Int, IsTheFloor) {
  EXPECT_EQ(Int(724.8012), 724.0);
  EXPECT_EQ(Int(-0.5), -1.0);
  EXPECT_EQ(Int(3.0), 3.0);
}

TEST(ParseNumber, AcceptsUsNumbersOnly) {
  EXPECT_EQ(ParseNumber("  1,000.00"), 1000.0);
  EXPECT_EQ(ParseNumber(" 4.600"), 4.6);
  EXPECT_EQ(ParseNumber("-5"), -5.0);
  EXPECT_EQ(ParseNumber("+7 "), 7.0);
  EXPECT_EQ(ParseNumber(".5"), 0.5);
  EXPECT_EQ(ParseNumber("5."), 5.0);
  EXPECT_EQ(ParseNumber("1e3"), 1000.0);
  EXPECT_EQ(ParseNumber("2.5E-1"), 0.25);
  EXPECT_EQ(ParseNumber("1e308"), 1e308);
  EXPECT_EQ(ParseNumber("20,000.000"), 20000.0);
  EXPECT_EQ(ParseNumber("-0"), 0.0);
  EXPECT_FALSE(std::signbit(*ParseNumber("-0")));
  for (const char* bad :
       {"",    "   ",   "abc",  "1.2.3", "1,5.0.",   ",5",         "1e",      "1e+",
        "NaN", "nan",   "inf",  "-inf",  "Infinity", "1e400",      "$5",      "(5)",
        "5%",  "1 000", "0x10", "5-",    "=1+1",     "1,000.00,0", "\xc3\xa9"}) {
    EXPECT_FALSE(ParseNumber(bad).has_value()) << bad;
  }
}

TEST(ParseNumber, ReadsBackEveryDisplayFormat) {
  for (const char* pattern : {"##,###,##0.00", "###,##0.00", "###,##0.000", "#0.000", "#00.000",
                              "#0", "#000", "00.000", "0.000", "0.000000", "0.00000000"}) {
    for (double v : {0.0, 1.0, 4.6, 99.9995, 1234.5678, 99999.996}) {
      const std::string text = FormatPicture(v, pattern);
      ASSERT_TRUE(ParseNumber(text).has_value()) << pattern << " " << text;
    }
  }
}

TEST(FormatPicture, FollowsThePictureRules) {
  EXPECT_EQ(FormatPicture(1000, "###,##0.00"), "1,000.00");
  EXPECT_EQ(FormatPicture(20000, "###,##0.000"), "20,000.000");
  EXPECT_EQ(FormatPicture(4.6, "#0.000"), "4.600");
  EXPECT_EQ(FormatPicture(0, "#0.000"), "0.000");
  EXPECT_EQ(FormatPicture(5, "#00.000"), "05.000");
  EXPECT_EQ(FormatPicture(100, "#00.000"), "100.000");
  EXPECT_EQ(FormatPicture(2008, "#000"), "2008");
  EXPECT_EQ(FormatPicture(7, "#0"), "7");
  EXPECT_EQ(FormatPicture(5.6, "#0"), "6");
  EXPECT_EQ(FormatPicture(11.6, "#0"), "12");
  EXPECT_EQ(FormatPicture(99999.996, "###,##0.00"), "100,000.00");
  EXPECT_EQ(FormatPicture(99.9999, "00.000"), "100.000");
  EXPECT_EQ(FormatPicture(45.5, "00.000"), "45.500");
  EXPECT_EQ(FormatPicture(7, "##"), "7");
  EXPECT_EQ(FormatPicture(1962, "####"), "1962");
  EXPECT_EQ(FormatPicture(0.0001234, "0.00000000"), "0.00012340");
  EXPECT_EQ(FormatPicture(1234567.891, "##,###,##0.00"), "1,234,567.89");
  EXPECT_EQ(FormatPicture(0.5, "##,###,##0.00"), "0.50");
  EXPECT_EQ(FormatPicture(123456789.0, "#0"), "123456789");
}

TEST(FormatPicture, RoundsHalvesAwayFromZeroOnTheDecimalValue) {
  EXPECT_EQ(FormatPicture(1.005, "0.00"), "1.01");  // the binary double is 1.00499999...
  EXPECT_EQ(FormatPicture(2.5, "#0"), "3");
  EXPECT_EQ(FormatPicture(-2.5, "#0"), "-3");
  EXPECT_EQ(FormatPicture(0.9995, "0.000"), "1.000");
  EXPECT_EQ(FormatPicture(999.5, "#,##0"), "1,000");
  EXPECT_EQ(FormatPicture(-0.0004, "0.000"), "0.000");
  EXPECT_EQ(FormatPicture(-1234.5, "##,###,##0.00"), "-1,234.50");
  EXPECT_THROW(FormatPicture(std::numeric_limits<double>::infinity(), "0.00"), NumberError);
  EXPECT_THROW(FormatPicture(std::nan(""), "0.00"), NumberError);
}

TEST(ResultText, RoundsToEvenCentsThenFormats) {
  EXPECT_EQ(ResultText(1234.125), "1,234.12");
  EXPECT_EQ(ResultText(1234.375), "1,234.38");
  EXPECT_EQ(ResultText(1234567.891), "1,234,567.89");
  EXPECT_EQ(ResultText(0), "0.00");
  EXPECT_EQ(ResultText(0.5), "0.50");
  EXPECT_EQ(ResultText(-1234.5), "-1,234.50");
  EXPECT_EQ(ResultText(-0.001), "0.00");
  EXPECT_THROW(ResultText(std::numeric_limits<double>::quiet_NaN()), NumberError);
}

TEST(ShortestText, WritesAgesWithoutPadding) {
  EXPECT_EQ(ShortestText(65.0), "65");
  EXPECT_EQ(ShortestText(45.5), "45.5");
  EXPECT_EQ(ShortestText(47.462), "47.462");
  EXPECT_EQ(ShortestText(0.086), "0.086");
  EXPECT_EQ(ShortestText(-0.0), "0");
  EXPECT_EQ(ShortestText(-1.5), "-1.5");
}

TEST(NumberEntry, NormalisesWithoutRefusing) {
  const NumberRule benefit{0, 100000, false, 1000, false};
  EXPECT_EQ(NumberEntry("", benefit), 1000);
  EXPECT_EQ(NumberEntry("abc", benefit), 1000);
  EXPECT_EQ(NumberEntry("-5", benefit), 1000);
  EXPECT_EQ(NumberEntry("100000", benefit), 1000);
  EXPECT_EQ(NumberEntry("99999.99", benefit), 99999.99);
  EXPECT_EQ(NumberEntry("99999.996", benefit), 99999.996);
  EXPECT_EQ(NumberEntry("  1,000.00", benefit), 1000);

  const NumberRule survivor{0, 100, true, 0, false};
  EXPECT_EQ(NumberEntry("100", survivor), 100);
  EXPECT_EQ(NumberEntry("100.5", survivor), 0);

  const NumberRule month{1, 12, true, 1, false};
  EXPECT_EQ(NumberEntry("0.6", month), 1);
  EXPECT_EQ(NumberEntry("12.4", month), 1);
  EXPECT_EQ(NumberEntry("11.6", month), 11.6);

  const NumberRule year{2007, 2020, false, 2008, true};
  EXPECT_EQ(NumberEntry("8", year), 2008);
  EXPECT_EQ(NumberEntry("19", year), 2019);
  EXPECT_EQ(NumberEntry("20", year), 2008);
  EXPECT_EQ(NumberEntry("-5", year), 2008);  // 1995, below the range
  EXPECT_EQ(NumberEntry("2006", year), 2008);
  EXPECT_EQ(NumberEntry("1999", year), 2008);
  EXPECT_EQ(NumberEntry("2019", year), 2019);
}

}  // namespace
}  // namespace orvane::numbers
