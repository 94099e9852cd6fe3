#include "toolkit/ui/core/box_layout.h"

#include <gtest/gtest.h>

#include "tests/toolkit/fake_text_measurer.h"
#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/markup_reader.h"

namespace ui {
namespace {

class BoxLayoutTest : public ::testing::Test {
 protected:
  // Reads a layout and lays it out in its window size at `scale` percent.
  void Load(const std::string& xml, int scale) {
    std::string error;
    ASSERT_TRUE(ReadLayout(xml, "test/layout.xml", nullptr, &doc_, &error)) << error;
    LayoutContext context{scale, &measurer_};
    LayoutRoot(*doc_.root,
               Rect{0, 0, ScaleValue(doc_.window.size.width, scale),
                    ScaleValue(doc_.window.size.height, scale)},
               context);
  }

  Rect Pos(const wchar_t* name) {
    Control* c = static_cast<Box*>(doc_.root.get())->FindByName(name);
    EXPECT_NE(nullptr, c) << "no control named " << base::WideToUtf8(name);
    return c ? c->GetPos() : Rect{};
  }

  FakeTextMeasurer measurer_;
  LayoutDocument doc_;
};

// The installer's welcome page, reduced to what decides the geometry.
const char kWelcomePage[] = R"(
<Window size="600,400" caption="0,0,0,400">
  <Box name="root">
    <Control name="bkimage1" height="40" visible="false"/>
    <Control name="bkimage2" height="256" valign="top"/>
    <HBox name="titlebar" height="50" margin="0,10,11,0">
      <Control name="titlespacer"/>
      <Button name="btn_exit" width="24" height="24" margin="6,0,0,0"/>
    </HBox>
    <Box name="client" margin="30,30,0,0">
      <VBox name="welcompage">
        <Control name="logo" width="80" height="80" halign="center" margin="0,34,0,0"/>
        <Label name="appname" text="您的软件名称" halign="center" margin="0,30,0,0"/>
        <Button name="btn_startinstall" text="立即安装" width="240" height="52" halign="center" margin="0,65,0,0"/>
        <Control name="pagespacer"/>
        <HBox name="bottombar" height="auto" margin="0,0,0,10" padding="26,0,26,0">
          <CheckBox name="checkbox_agreement" text="我已阅读并同意" visible="false"/>
          <Control name="barspacer"/>
          <Button name="btn_customize" text="自定义安装" margin="6,0,0,0"/>
          <Button name="btn_expand" width="16" height="16" valign="center" margin="1,0,0,0"/>
        </HBox>
        <VBox name="customizebar" height="48" visible="false"/>
      </VBox>
    </Box>
  </Box>
</Window>)";

TEST_F(BoxLayoutTest, WelcomePageAt100Percent) {
  Load(kWelcomePage, 100);
  EXPECT_EQ((Rect{0, 0, 600, 400}), Pos(L"root"));
  EXPECT_EQ((Rect{0, 0, 600, 256}), Pos(L"bkimage2"));
  EXPECT_EQ((Rect{0, 10, 589, 60}), Pos(L"titlebar"));
  EXPECT_EQ((Rect{565, 10, 589, 34}), Pos(L"btn_exit"));
  EXPECT_EQ((Rect{30, 30, 600, 400}), Pos(L"welcompage"));
  EXPECT_EQ((Rect{275, 64, 355, 144}), Pos(L"logo"));
  EXPECT_EQ((Rect{285, 174, 345, 194}), Pos(L"appname"));
  EXPECT_EQ((Rect{195, 259, 435, 311}), Pos(L"btn_startinstall"));
  EXPECT_EQ((Rect{30, 311, 600, 370}), Pos(L"pagespacer"));
  EXPECT_EQ((Rect{30, 370, 600, 390}), Pos(L"bottombar"));
  EXPECT_EQ((Rect{56, 370, 501, 390}), Pos(L"barspacer"));
  EXPECT_EQ((Rect{507, 370, 557, 390}), Pos(L"btn_customize"));
  EXPECT_EQ((Rect{558, 372, 574, 388}), Pos(L"btn_expand"));
}

TEST_F(BoxLayoutTest, WelcomePageAt150Percent) {
  Load(kWelcomePage, 150);
  EXPECT_EQ((Rect{0, 0, 900, 600}), Pos(L"root"));
  EXPECT_EQ((Rect{0, 0, 900, 384}), Pos(L"bkimage2"));
  EXPECT_EQ((Rect{0, 15, 883, 90}), Pos(L"titlebar"));
  EXPECT_EQ((Rect{847, 15, 883, 51}), Pos(L"btn_exit"));
  EXPECT_EQ((Rect{412, 96, 532, 216}), Pos(L"logo"));
  EXPECT_EQ((Rect{427, 261, 517, 291}), Pos(L"appname"));
  EXPECT_EQ((Rect{292, 389, 652, 467}), Pos(L"btn_startinstall"));
  EXPECT_EQ((Rect{45, 555, 900, 585}), Pos(L"bottombar"));
  EXPECT_EQ((Rect{760, 555, 835, 585}), Pos(L"btn_customize"));
  EXPECT_EQ((Rect{837, 558, 861, 582}), Pos(L"btn_expand"));
}

TEST_F(BoxLayoutTest, StretchedChildrenShareTheRestWithOddPixelsFirst) {
  Load(R"(<Window size="100,10"><HBox><Control name="a"/><Control name="b"/>
          <Control name="c"/></HBox></Window>)", 100);
  EXPECT_EQ((Rect{0, 0, 34, 10}), Pos(L"a"));
  EXPECT_EQ((Rect{34, 0, 67, 10}), Pos(L"b"));
  EXPECT_EQ((Rect{67, 0, 100, 10}), Pos(L"c"));
}

TEST_F(BoxLayoutTest, FixedChildrenKeepTheirSizeAndStretchTakesTheRest) {
  Load(R"(<Window size="100,200"><VBox><Control name="a" height="30"/><Control name="b"/>
          <Control name="c" height="50"/></VBox></Window>)", 100);
  EXPECT_EQ((Rect{0, 0, 100, 30}), Pos(L"a"));
  EXPECT_EQ((Rect{0, 30, 100, 150}), Pos(L"b"));
  EXPECT_EQ((Rect{0, 150, 100, 200}), Pos(L"c"));
}

TEST_F(BoxLayoutTest, HiddenChildTakesNoSpaceAndNoGap) {
  Load(R"(<Window size="100,100"><VBox childmargin="10"><Control name="a" height="20"/>
          <Control name="hidden" height="20" visible="false"/>
          <Control name="b" height="20"/></VBox></Window>)", 100);
  EXPECT_EQ((Rect{0, 0, 100, 20}), Pos(L"a"));
  EXPECT_EQ((Rect{0, 30, 100, 50}), Pos(L"b"));
}

TEST_F(BoxLayoutTest, ChildMarginSeparatesNeighboursAndScales) {
  Load(R"(<Window size="100,20"><HBox childmargin="10"><Control name="a" width="20"/>
          <Control name="b" width="20"/></HBox></Window>)", 150);
  EXPECT_EQ((Rect{0, 0, 30, 30}), Pos(L"a"));
  EXPECT_EQ((Rect{45, 0, 75, 30}), Pos(L"b"));
}

TEST_F(BoxLayoutTest, StackedChildrenAlignInTheWholeArea) {
  Load(R"(<Window size="100,100"><Box padding="10,10,10,10">
          <Control name="br" width="20" height="20" halign="right" valign="bottom"/>
          <Control name="c" width="20" height="10" halign="center" valign="center"/>
          <Control name="fill" margin="5,5,5,5"/></Box></Window>)", 100);
  EXPECT_EQ((Rect{70, 70, 90, 90}), Pos(L"br"));
  EXPECT_EQ((Rect{40, 45, 60, 55}), Pos(L"c"));
  EXPECT_EQ((Rect{15, 15, 85, 85}), Pos(L"fill"));
}

TEST_F(BoxLayoutTest, AutoSizedBoxWrapsItsChildren) {
  Load(R"(<Window size="300,100"><VBox><HBox name="row" width="auto" height="auto"
          padding="2,3,4,5" childmargin="6"><Label name="l" text="abc"/>
          <Control width="10" height="40" margin="1,0,0,0"/></HBox></VBox></Window>)", 100);
  // 30 (text) + 6 (gap) + 1 + 10, plus padding 2 + 4; height 40 plus 3 + 5.
  EXPECT_EQ((Rect{0, 0, 53, 48}), Pos(L"row"));
  EXPECT_EQ((Rect{2, 3, 32, 23}), Pos(L"l"));
}

TEST_F(BoxLayoutTest, AutoLabelFollowsItsTextAfterRelayout) {
  Load(R"(<Window size="300,100"><HBox><Label name="l" text="ab"/><Control name="rest"/>
          </HBox></Window>)", 100);
  EXPECT_EQ((Rect{20, 0, 300, 100}), Pos(L"rest"));
  static_cast<Box*>(doc_.root.get())->FindByName(L"l")->SetText(L"abcdef");
  LayoutContext context{100, &measurer_};
  LayoutRoot(*doc_.root, Rect{0, 0, 300, 100}, context);
  EXPECT_EQ((Rect{60, 0, 300, 100}), Pos(L"rest"));
}

TEST_F(BoxLayoutTest, MultiLineEditOfFixedWidthIsAsHighAsItsTextWraps) {
  // 100 wide with 10 of padding: 9 characters a line. A message box's content is laid out so.
  Load(R"(<Window size="300,300"><VBox>
            <RichEdit name="e" width="100" height="auto" padding="5,0,5,0" multiline="true"/>
            <Control name="below" height="10"/></VBox></Window>)", 100);
  EXPECT_EQ(20, Pos(L"e").bottom);  // an empty edit keeps one line
  auto* edit = static_cast<Box*>(doc_.root.get())->FindByName(L"e");
  edit->SetText(std::wstring(19, L'x') + L"\r\nyy");  // 3 lines, then 1
  LayoutContext context{100, &measurer_};
  LayoutRoot(*doc_.root, Rect{0, 0, 300, 300}, context);
  EXPECT_EQ(80, Pos(L"e").bottom);
  EXPECT_EQ(80, Pos(L"below").top);
}

TEST_F(BoxLayoutTest, OverfullBoxGivesStretchedChildrenNothing) {
  Load(R"(<Window size="50,10"><HBox><Control name="a" width="40"/><Control name="s"/>
          <Control name="b" width="40"/></HBox></Window>)", 100);
  EXPECT_EQ(0, Pos(L"s").Width());
  EXPECT_EQ((Rect{40, 0, 80, 10}), Pos(L"b"));
}

}  // namespace
}  // namespace ui
