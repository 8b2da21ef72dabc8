#include "tools/kestrimo-host/stream/Y4mHeader.h"

#include <gtest/gtest.h>

namespace kestrimo {
namespace {

TEST(Y4mHeader, ReadsSizeAndKeepsTheWholeLine) {
  const std::string line = "YUV4MPEG2 W720 H576 F25:1 Ip A1:1 C422 XYSCSS=422";
  const Y4mHeaderParse parsed = ParseY4mHeader(line);
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  EXPECT_EQ(parsed.header.size, (FrameSize{720, 576}));
  EXPECT_EQ(parsed.header.line, line);
}

TEST(Y4mHeader, FieldOrderDoesNotMatter) {
  const Y4mHeaderParse parsed = ParseY4mHeader("YUV4MPEG2 C422 H2 F30000:1001 W4");
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  EXPECT_EQ(parsed.header.size, (FrameSize{4, 2}));
}

TEST(Y4mHeader, RefusesOtherSamplingAndDepthsNamingTheTag) {
  for (const char* colour : {"420jpeg", "420", "420mpeg2", "444", "mono", "422p10", "422p16",
                             "411", "422jpeg"}) {
    const Y4mHeaderParse parsed =
        ParseY4mHeader(std::string("YUV4MPEG2 W720 H576 C") + colour);
    EXPECT_FALSE(parsed.Ok()) << colour;
    EXPECT_NE(parsed.error.find(colour), std::string::npos) << parsed.error;
  }
  // No C tag means 4:2:0.
  EXPECT_FALSE(ParseY4mHeader("YUV4MPEG2 W720 H576 F25:1").Ok());
}

TEST(Y4mHeader, RefusesBrokenOrAbsurdSizes) {
  for (const char* line :
       {"YUV4MPEG2 H576 C422", "YUV4MPEG2 W720 C422", "YUV4MPEG2 W H576 C422",
        "YUV4MPEG2 W0 H576 C422", "YUV4MPEG2 W720 H-2 C422", "YUV4MPEG2 W7x0 H576 C422",
        "YUV4MPEG2 W32768 H576 C422", "YUV4MPEG2 W720 H99999999999 C422",
        "YUV4MPEG2 W721 H576 C422"}) {  // odd widths cannot be packed two pixels a group
    EXPECT_FALSE(ParseY4mHeader(line).Ok()) << line;
  }
}

TEST(Y4mHeader, RefusesOtherMagic) {
  EXPECT_FALSE(ParseY4mHeader("YUV4MPEG W720 H576 C422").Ok());
  EXPECT_FALSE(ParseY4mHeader("YUV4MPEG2").Ok());
  EXPECT_FALSE(ParseY4mHeader("").Ok());
}

TEST(Y4mHeader, FrameLinesMayCarryParameters) {
  EXPECT_TRUE(IsY4mFrameLine("FRAME"));
  EXPECT_TRUE(IsY4mFrameLine("FRAME Ib XFOO=1"));
  EXPECT_FALSE(IsY4mFrameLine("FRAMEX"));
  EXPECT_FALSE(IsY4mFrameLine("frame"));
  EXPECT_FALSE(IsY4mFrameLine(""));
}

}  // namespace
}  // namespace kestrimo
