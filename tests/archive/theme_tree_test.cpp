// Checks the skin package as the installer embeds it: the tree, the three theme folders and
// the language files, read from the THEME resource of this very program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "tests/archive/png_size.h"
#include "tests/archive/theme_resource.h"
#include "toolkit/base/text_table.h"

namespace {

const char* const kThemes[] = {"default", "default-hdpi", "default-xhdpi"};
const double kScales[] = {1.0, 1.25, 1.5};

const char* const kThemeFolders[] = {
    "",         "basic/",         "msgbox/",          "shadow/",          "public/",
    "public/bk/", "public/button/", "public/caption/", "public/checkbox/", "public/progress/"};

const char* const kXmlFiles[] = {"global.xml", "basic/basic.xml", "msgbox/msgbox.xml",
                                 "shadow/shadow.xml"};

struct Image {
  const char* path;
  uint32_t width, height;  // at 100 %
  bool exact;              // the size at every scale is fixed, not just proportional
};

const Image kImages[] = {
    {"basic/bkg_top.png", 600, 256, true},
    {"basic/logo.png", 80, 80, true},
    {"basic/icon_down.png", 16, 16, true},
    {"basic/icon_up.png", 16, 16, true},
    {"msgbox/error.png", 32, 32, false},
    {"msgbox/infor.png", 32, 32, false},
    {"msgbox/ok.png", 32, 32, false},
    {"msgbox/question.png", 32, 32, false},
    {"msgbox/warning.png", 32, 32, false},
    {"public/bk/bk_shadow.png", 32, 32, false},
    {"public/bk/bg_image_mask.png", 80, 80, false},
    {"public/button/btn_global_blue_80x30_normal.png", 80, 30, false},
    {"public/button/btn_global_blue_80x30_hovered.png", 80, 30, false},
    {"public/button/btn_global_blue_80x30_pushed.png", 80, 30, false},
    {"public/button/btn_global_white_80x30_normal.png", 80, 30, false},
    {"public/button/btn_global_white_80x30_hovered.png", 80, 30, false},
    {"public/button/btn_global_white_80x30_pushed.png", 80, 30, false},
    {"public/button/btn_wnd_gray_close.png", 12, 12, false},
    {"public/button/btn_wnd_gray_close_hover.png", 12, 12, false},
    {"public/button/btn_wnd_white_close.png", 24, 24, true},
    {"public/button/btn_wnd_white_close_hovered.png", 24, 24, false},
    {"public/button/btn_wnd_white_close_pushed.png", 24, 24, false},
    {"public/button/btn_wnd_white_min.png", 24, 24, false},
    {"public/button/btn_wnd_white_min_hovered.png", 24, 24, false},
    {"public/button/btn_wnd_white_min_pushed.png", 24, 24, false},
    {"public/caption/caption_public.png", 10, 34, false},
    {"public/checkbox/check.png", 16, 16, true},
    {"public/checkbox/check_no.png", 16, 16, true},
    {"public/progress/progress_blue_bg.png", 60, 6, false},
    {"public/progress/progress_blue_fg.png", 60, 6, false},
};

std::set<std::string> ExpectedTree() {
  std::set<std::string> tree = {"resources/",
                                "resources/lang/",
                                "resources/lang/zh_CN/",
                                "resources/lang/zh_CN/strings.ini",
                                "resources/themes/"};
  for (const char* theme : kThemes) {
    const std::string root = std::string("resources/themes/") + theme + "/";
    for (const char* folder : kThemeFolders) tree.insert(root + folder);
    for (const char* xml : kXmlFiles) tree.insert(root + xml);
    for (const Image& image : kImages) tree.insert(root + image.path);
  }
  return tree;
}

class ThemeResourceTest : public testing::Test {
 protected:
  void SetUp() override {
    archive_ = OpenThemeResource(&error_);
    ASSERT_NE(archive_, nullptr) << error_;
  }
  std::string ReadOrFail(const std::string& path) {
    std::string bytes, error;
    EXPECT_TRUE(archive_->Read(path, &bytes, &error)) << error;
    return bytes;
  }

  std::unique_ptr<ui::ZipArchive> archive_;
  std::string error_;
};

TEST_F(ThemeResourceTest, IsChinesePrcResource) { EXPECT_TRUE(ThemeResourceIsChinesePrc()); }

TEST_F(ThemeResourceTest, HoldsExactlyTheSkinTree) {
  const std::vector<std::string> names = archive_->EntryNames();
  const std::set<std::string> actual(names.begin(), names.end());
  EXPECT_EQ(names.size(), actual.size()) << "duplicate entries";
  const std::set<std::string> expected = ExpectedTree();
  for (const std::string& name : actual) EXPECT_TRUE(expected.count(name)) << "unexpected " << name;
  for (const std::string& name : expected) EXPECT_TRUE(actual.count(name)) << "missing " << name;
  EXPECT_EQ(names.size(), 137u);
  EXPECT_EQ(std::count_if(names.begin(), names.end(),
                          [](const std::string& n) { return n.back() == '/'; }),
            34);
}

TEST_F(ThemeResourceTest, EveryEntryReadsWithValidCrc) {
  for (const std::string& name : archive_->EntryNames()) {
    std::string bytes, error;
    EXPECT_TRUE(archive_->Read(name, &bytes, &error)) << name << ": " << error;
    if (name.back() != '/') {
      EXPECT_FALSE(bytes.empty()) << name;
    }
  }
}

TEST_F(ThemeResourceTest, XmlIsByteIdenticalAcrossThemes) {
  for (const char* xml : kXmlFiles) {
    const std::string reference = ReadOrFail(std::string("resources/themes/default/") + xml);
    ASSERT_FALSE(reference.empty()) << xml;
    for (const char* theme : {"default-hdpi", "default-xhdpi"})
      EXPECT_EQ(ReadOrFail(std::string("resources/themes/") + theme + "/" + xml), reference)
          << theme << "/" << xml;
  }
}

TEST_F(ThemeResourceTest, ImagesAreDrawnForTheirThemeScale) {
  for (size_t t = 0; t < 3; ++t) {
    for (const Image& image : kImages) {
      const std::string path = std::string("resources/themes/") + kThemes[t] + "/" + image.path;
      uint32_t width = 0, height = 0;
      ASSERT_TRUE(ReadPngSize(ReadOrFail(path), &width, &height)) << path;
      const double wantWidth = image.width * kScales[t], wantHeight = image.height * kScales[t];
      if (image.exact) {
        EXPECT_EQ(width, static_cast<uint32_t>(wantWidth)) << path;
        EXPECT_EQ(height, static_cast<uint32_t>(wantHeight)) << path;
      } else {
        // Scaled sizes round to whole pixels.
        EXPECT_LE(std::fabs(width - wantWidth), 1.0) << path << " width " << width;
        EXPECT_LE(std::fabs(height - wantHeight), 1.0) << path << " height " << height;
      }
    }
  }
}

TEST_F(ThemeResourceTest, TheStringTableIsTheDefaultLanguages) {
  const std::string text = ReadOrFail("resources/lang/zh_CN/strings.ini");
  base::TextTable table;
  std::string error;
  ASSERT_TRUE(base::TextTable::Parse(text, &table, &error)) << error;
  EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
  const struct {
    const char* key;
    const wchar_t* value;
  } samples[] = {
      {"install_now", L"\u7acb\u5373\u5b89\u88c5"},           // the install button
      {"prompt_caption", L"{name}\u5b89\u88c5\u63d0\u793a"},  // a message box's caption
  };
  for (const auto& sample : samples) {
    ASSERT_NE(table.Find(sample.key), nullptr) << sample.key;
    EXPECT_EQ(*table.Find(sample.key), sample.value) << sample.key;
  }
}

}  // namespace
