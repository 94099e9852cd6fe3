#include "toolkit/ui/core/control_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/markup_reader.h"

namespace ui {
namespace {

using ::testing::ElementsAre;

class ImageFilesInTest : public ::testing::Test {
 protected:
  void Load(const std::string& body) {
    std::string error;
    ASSERT_TRUE(ReadLayout("<Window size=\"600,400\">\n" + body + "\n</Window>",
                           "themes/default/basic/basic.xml", nullptr, &doc_, &error))
        << error;
  }
  Control* Find(const wchar_t* name) {
    return static_cast<Box*>(doc_.root.get())->FindByName(name);
  }

  LayoutDocument doc_;
};

TEST_F(ImageFilesInTest, ListsTheImagesOfAHiddenPage) {
  Load(R"(<Box>
    <VBox name="page" visible="false">
      <Control bkimage="logo.png"/>
      <Progress bkimage="bar_bg.png" progressimage="bar_fg.png"/>
    </VBox>
  </Box>)");
  EXPECT_THAT(ImageFilesIn(Find(L"page")),
              ElementsAre("themes/default/basic/logo.png", "themes/default/basic/bar_bg.png",
                          "themes/default/basic/bar_fg.png"));
}

TEST_F(ImageFilesInTest, ListsEveryStateOfButtonsAndCheckBoxes) {
  Load(R"(<VBox name="page">
    <Button normalimage="n.png" hotimage="h.png" pushedimage="p.png" disabledimage="d.png"
            forenormalimage="fn.png" forehotimage="fh.png"/>
    <CheckBox normalimage="c.png" selectednormalimage="sn.png" selectedhotimage="sh.png"
              selecteddisabledimage="sd.png"/>
  </VBox>)");
  EXPECT_THAT(ImageFilesIn(Find(L"page")),
              ElementsAre("themes/default/basic/n.png", "themes/default/basic/h.png",
                          "themes/default/basic/p.png", "themes/default/basic/d.png",
                          "themes/default/basic/fn.png", "themes/default/basic/fh.png",
                          "themes/default/basic/c.png", "themes/default/basic/sn.png",
                          "themes/default/basic/sh.png", "themes/default/basic/sd.png"));
}

TEST_F(ImageFilesInTest, NamesAFileOnceWhateverItsPiece) {
  Load(R"(<VBox name="page">
    <Control bkimage="file='top.png' source='0,0,600,40'"/>
    <Control bkimage="top.png"/>
  </VBox>)");
  EXPECT_THAT(ImageFilesIn(Find(L"page")), ElementsAre("themes/default/basic/top.png"));
}

TEST_F(ImageFilesInTest, LeavesOutControlsOutsideThePart) {
  Load(R"(<Box>
    <VBox name="welcome"><Control bkimage="welcome.png"/></VBox>
    <VBox name="install"><Control bkimage="install.png"/></VBox>
  </Box>)");
  EXPECT_THAT(ImageFilesIn(Find(L"install")), ElementsAre("themes/default/basic/install.png"));
}

TEST_F(ImageFilesInTest, NoPartNoImages) { EXPECT_TRUE(ImageFilesIn(nullptr).empty()); }

}  // namespace
}  // namespace ui
