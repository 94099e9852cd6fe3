#include "toolkit/ui/core/values.h"

#include <gtest/gtest.h>

namespace ui {
namespace {

TEST(ValuesTest, JoinPathFoldsParentSegmentsAndBackslashes) {
  EXPECT_EQ("themes/default/public/button/a.png",
            JoinPath("themes\\default\\basic", "../public/button/a.png"));
  EXPECT_EQ("themes/default/basic/logo.png", JoinPath("themes/default/basic", "./logo.png"));
}

TEST(ValuesTest, JoinPathDropsParentSegmentsAboveTheRoot) {
  EXPECT_EQ("x.png", JoinPath("", "../../x.png"));
}

TEST(ValuesTest, ImageDescriptorReadsEveryField) {
  ImageSpec imageSpec;
  std::string error;
  ASSERT_TRUE(ParseImageSpec("file='btn.png' corner='8,8,8,8' source='0,0,16,16' "
                             "dest='4,4,16,16' fade='80'",
                             &imageSpec, &error))
      << error;
  EXPECT_EQ("btn.png", imageSpec.file);
  EXPECT_EQ((Insets{8, 8, 8, 8}), imageSpec.corner);
  EXPECT_EQ((Rect{0, 0, 16, 16}), imageSpec.source);
  EXPECT_EQ((Rect{4, 4, 16, 16}), imageSpec.dest);
  EXPECT_EQ(80, imageSpec.fade);
}

TEST(ValuesTest, PlainImagePathIsTheFile) {
  ImageSpec imageSpec;
  std::string error;
  ASSERT_TRUE(ParseImageSpec("bkg_top.png", &imageSpec, &error));
  EXPECT_EQ("bkg_top.png", imageSpec.file);
  EXPECT_EQ(255, imageSpec.fade);
}

TEST(ValuesTest, ImageDescriptorRejectsUnknownFieldAndBadFade) {
  ImageSpec imageSpec;
  std::string error;
  EXPECT_FALSE(ParseImageSpec("file='a.png' colour='1'", &imageSpec, &error));
  EXPECT_NE(std::string::npos, error.find("colour"));
  EXPECT_FALSE(ParseImageSpec("file='a.png' fade='300'", &imageSpec, &error));
  EXPECT_FALSE(ParseImageSpec("file='a.png", &imageSpec, &error));
}

TEST(ValuesTest, LengthAcceptsNumberAutoAndStretchOnly) {
  Length l;
  ASSERT_TRUE(ParseLength("240", &l));
  EXPECT_EQ(Length::kFixed, l.kind);
  EXPECT_EQ(240, l.value);
  ASSERT_TRUE(ParseLength("auto", &l));
  EXPECT_EQ(Length::kAuto, l.kind);
  EXPECT_FALSE(ParseLength("-3", &l));
  EXPECT_FALSE(ParseLength("wide", &l));
  EXPECT_FALSE(ParseLength("12px", &l));
}

TEST(ValuesTest, ColourNeedsHashAndHexDigits) {
  Color c = 0;
  ASSERT_TRUE(ParseHexColor("#ffC63535", &c));
  EXPECT_EQ(0xffc63535u, c);
  ASSERT_TRUE(ParseHexColor("#102030", &c));
  EXPECT_EQ(0xff102030u, c);
  EXPECT_FALSE(ParseHexColor("ffC63535", &c));
  EXPECT_FALSE(ParseHexColor("#ffC6353g", &c));
}

TEST(ValuesTest, InsetsNeedExactlyFourNumbers) {
  Insets in;
  ASSERT_TRUE(ParseInsets("30, 30, 0, 0", &in));
  EXPECT_EQ((Insets{30, 30, 0, 0}), in);
  EXPECT_FALSE(ParseInsets("1,2,3", &in));
  EXPECT_FALSE(ParseInsets("1,2,3,4,5", &in));
  EXPECT_FALSE(ParseInsets("1,,3,4", &in));
}

}  // namespace
}  // namespace ui
