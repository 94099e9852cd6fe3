// Checks the layouts and the style table in the embedded skin against what the windows rely
// on: named controls of the right type, their starting state, and that every class, colour,
// font and image a layout names exists.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tests/archive/theme_resource.h"
#include "toolkit/base/text_table.h"

namespace {

const char* const kThemes[] = {"default", "default-hdpi", "default-xhdpi"};

// name="value" pairs of a class's attribute string.
std::vector<std::pair<std::string, std::string>> SplitAttributes(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t pos = 0;
  while (true) {
    const size_t eq = text.find("=\"", pos);
    if (eq == std::string::npos) break;
    const size_t end = text.find('"', eq + 2);
    if (end == std::string::npos) break;
    size_t start = text.find_last_of(' ', eq);
    start = start == std::string::npos || start < pos ? pos : start + 1;
    out.emplace_back(text.substr(start, eq - start), text.substr(eq + 2, end - eq - 2));
    pos = end + 1;
  }
  return out;
}

// The image file an attribute value names: a plain path or the file='' of a descriptor.
std::string ImageFile(const std::string& value) {
  const size_t file = value.find("file='");
  if (file != std::string::npos) {
    const size_t end = value.find('\'', file + 6);
    return value.substr(file + 6, end - file - 6);
  }
  return value;
}

bool IsImageAttribute(const std::string& name) {
  return name.find("image") != std::string::npos;
}

class SkinLayoutTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    archive_ = OpenThemeResource(&error);
    ASSERT_NE(archive_, nullptr) << error;
    ASSERT_TRUE(Load("resources/themes/default/global.xml", &global_));
    ASSERT_TRUE(Load("resources/themes/default/basic/basic.xml", &basic_));
    ASSERT_TRUE(Load("resources/themes/default/msgbox/msgbox.xml", &msgbox_));
    ASSERT_TRUE(Load("resources/themes/default/shadow/shadow.xml", &shadow_));
  }

  bool Load(const std::string& path, pugi::xml_document* doc) {
    std::string bytes, error;
    if (!archive_->Read(path, &bytes, &error)) {
      ADD_FAILURE() << error;
      return false;
    }
    const pugi::xml_parse_result result = doc->load_buffer(bytes.data(), bytes.size());
    if (!result) ADD_FAILURE() << path << ": " << result.description();
    return static_cast<bool>(result);
  }

  static pugi::xml_node Named(const pugi::xml_document& doc, const char* name) {
    return doc.find_node([&](pugi::xml_node n) { return std::string(n.attribute("name").value()) == name; });
  }

  std::map<std::string, std::string> Classes() const {
    std::map<std::string, std::string> classes;
    for (pugi::xml_node c : global_.child("Global").children("Class"))
      classes[c.attribute("name").value()] = c.attribute("value").value();
    return classes;
  }

  std::unique_ptr<ui::ZipArchive> archive_;
  pugi::xml_document global_, basic_, msgbox_, shadow_;
};

TEST_F(SkinLayoutTest, MainWindowHoldsEveryControlWithItsType) {
  const std::pair<const char*, const char*> controls[] = {
      {"bkimage1", "Box"}, {"bkimage2", "Box"}, {"titlebar", "HBox"}, {"btn_exit", "Button"},
      {"client", "Box"}, {"welcompage", "VBox"}, {"appnameLable_welcom", "Label"},
      {"btn_startinstall", "Button"}, {"checkbox_agreement", "CheckBox"},
      {"btn_useragreement", "Button"}, {"btn_customize", "Button"}, {"btn_expand", "Button"},
      {"customizebar", "VBox"}, {"edit_installdir", "RichEdit"},
      {"btn_changeinstallpath", "Button"}, {"installpage", "VBox"},
      {"appnameLable_install", "Label"}, {"progress_install", "Progress"},
      {"progress_install_value", "Label"}, {"downloadAlert", "HBox"},
      {"btn_downloadOfflinePackage", "Button"}, {"ExitStartpage", "VBox"},
      {"askuserStayMsg", "Label"}, {"checkbox_1", "CheckBox"}, {"checkbox_2", "CheckBox"},
      {"checkbox_3", "CheckBox"}, {"checkbox_4", "CheckBox"}, {"checkbox_5", "CheckBox"},
      {"edit_feedback", "RichEdit"}, {"btn_quitStart", "Button"},
      {"btn_continueInstall", "Button"}, {"installedpage", "VBox"}, {"btn_startapp", "Button"},
      {"installfaildpage", "VBox"}, {"download_failed_msg", "Label"},
      {"btn_redownload", "Button"}, {"btn_reinstall", "Button"}};
  for (const auto& [name, type] : controls) {
    pugi::xml_node node = Named(basic_, name);
    ASSERT_TRUE(node) << name;
    EXPECT_STREQ(node.name(), type) << name;
  }
}

TEST_F(SkinLayoutTest, PagesAreStackedInClientInOrder) {
  std::vector<std::string> pages;
  for (pugi::xml_node page : Named(basic_, "client").children()) pages.push_back(page.attribute("name").value());
  EXPECT_EQ(pages, (std::vector<std::string>{"welcompage", "installpage", "ExitStartpage",
                                             "installedpage", "installfaildpage"}));
}

TEST_F(SkinLayoutTest, OnlyTheWelcomePageStartsVisible) {
  for (const char* hidden : {"bkimage1", "installpage", "ExitStartpage", "installedpage",
                             "installfaildpage", "customizebar", "downloadAlert",
                             "checkbox_agreement", "btn_useragreement"})
    EXPECT_STREQ(Named(basic_, hidden).attribute("visible").value(), "false") << hidden;
  for (const char* shown : {"bkimage2", "welcompage", "btn_exit", "btn_customize", "btn_expand",
                            "btn_startinstall"})
    EXPECT_STRNE(Named(basic_, shown).attribute("visible").value(), "false") << shown;
}

TEST_F(SkinLayoutTest, SurveyQuitStartsDisabledAndAgreementSelected) {
  EXPECT_STREQ(Named(basic_, "btn_quitStart").attribute("enabled").value(), "false");
  EXPECT_STREQ(Named(basic_, "checkbox_agreement").attribute("selected").value(), "true");
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "checkbox_" + std::to_string(i);
    EXPECT_STRNE(Named(basic_, name.c_str()).attribute("selected").value(), "true") << name;
  }
}

// The check boxes name their texts by key; the default product's table holds the words.
TEST_F(SkinLayoutTest, SurveyReasonsCarryTheirTexts) {
  const wchar_t* const texts[] = {L"本软件已经安装", L"以前曾经安装过，不能满足要求",
                                  L"下载错了，糊里糊涂下载了软件", L"第六感不喜欢，不安全",
                                  L"没有理由，就是不想安装"};
  for (int i = 1; i <= 5; ++i) {
    const std::string name = "checkbox_" + std::to_string(i);
    const std::string text = Named(basic_, name.c_str()).attribute("text").value();
    ASSERT_EQ(text.substr(0, 1), "@") << name;
    const std::wstring* value = base::Texts().Find(text.substr(1));
    ASSERT_NE(value, nullptr) << text;
    EXPECT_EQ(*value, texts[i - 1]) << name;
  }
}

// The toolkit closes or minimizes the window by itself for buttons with these names, which
// would bypass the installer's own close handling.
TEST_F(SkinLayoutTest, MainWindowUsesNoToolkitReservedButtonNames) {
  EXPECT_FALSE(Named(basic_, "closebtn"));
  EXPECT_FALSE(Named(basic_, "minbtn"));
}

TEST_F(SkinLayoutTest, MainWindowIs600By400AndFullyDraggable) {
  pugi::xml_node window = basic_.child("Window");
  EXPECT_STREQ(window.attribute("size").value(), "600,400");
  EXPECT_STREQ(window.attribute("caption").value(), "0,0,0,400");
  EXPECT_STREQ(window.attribute("shadowattached").value(), "true");
}

TEST_F(SkinLayoutTest, MessageBoxHoldsItsControls) {
  EXPECT_STREQ(msgbox_.child("Window").attribute("size").value(), "340,180");
  const std::pair<const char*, const char*> controls[] = {
      {"title", "Label"}, {"closebtn", "Button"}, {"content", "RichEdit"},
      {"btn_yes", "Button"}, {"btn_no", "Button"}};
  for (const auto& [name, type] : controls) {
    pugi::xml_node node = Named(msgbox_, name);
    ASSERT_TRUE(node) << name;
    EXPECT_STREQ(node.name(), type) << name;
  }
}

TEST_F(SkinLayoutTest, GlobalDeclaresTheFontTable) {
  std::vector<std::string> fonts;
  for (pugi::xml_node f : global_.child("Global").children("Font")) {
    fonts.push_back(std::string(f.attribute("name").value()) + " " + f.attribute("size").value() +
                    (f.attribute("bold").as_bool() ? " bold" : "") +
                    (f.attribute("underline").as_bool() ? " underline" : ""));
    EXPECT_EQ(f.attribute("id").as_int(-1), static_cast<int>(fonts.size()) - 1);
  }
  std::vector<std::string> want;
  for (const char* face : {"system", "arial"})
    for (const char* style : {"", " bold"})
      for (int size : {10, 12, 14, 16, 18})
        want.push_back(std::string(face) + " " + std::to_string(size) + style);
  for (const char* extra : {"system 20", "system 20 bold", "system 22", "system 22 bold",
                            "system 12 underline", "system 24", "system 14 underline",
                            "system 16 underline", "system 32"})
    want.push_back(extra);
  EXPECT_EQ(fonts, want);
}

TEST_F(SkinLayoutTest, UsedColoursHaveTheirValues) {
  std::map<std::string, std::string> colours;
  for (pugi::xml_node c : global_.child("Global").children("TextColor"))
    colours[c.attribute("name").value()] = c.attribute("value").value();
  const std::pair<const char*, const char*> used[] = {
      {"white", "#ffffffff"}, {"darkcolor", "#ff333333"}, {"gray", "#ff8e99a6"},
      {"dark_gray", "#ff72797f"}, {"red", "#ffC63535"}, {"bk_wnd_lightcolor", "#ffffffff"},
      {"splitline_level1", "#ffd2d4d6"}, {"bk_color_mainwnd", "#ffF4F8F9"},
      {"text_color_666", "#ff666666"}, {"text_color_333", "#ff333333"}};
  for (const auto& [name, value] : used) EXPECT_EQ(colours[name], value) << name;
  EXPECT_EQ(colours.size(), 41u);
}

// Walks every element of the three layouts with the classes they use merged in, and checks
// that classes, colours, fonts and images all resolve.
TEST_F(SkinLayoutTest, EveryNamedResourceExists) {
  const auto classes = Classes();
  std::set<std::string> colours;
  for (pugi::xml_node c : global_.child("Global").children("TextColor")) colours.insert(c.attribute("name").value());
  int fontCount = 0;
  for (pugi::xml_node font : global_.child("Global").children("Font")) {
    (void)font;
    ++fontCount;
  }
  const std::pair<const pugi::xml_document*, const char*> layouts[] = {
      {&basic_, "basic/"}, {&msgbox_, "msgbox/"}, {&shadow_, "shadow/"}};
  int images = 0;
  for (const auto& [doc, folder] : layouts) {
    for (const pugi::xpath_node& found : doc->select_nodes("//*")) {
      const pugi::xml_node node = found.node();
      std::vector<std::pair<std::string, std::string>> attributes;
      if (const char* cls = node.attribute("class").value(); *cls) {
        auto it = classes.find(cls);
        ASSERT_NE(it, classes.end()) << folder << " names undefined class " << cls;
        attributes = SplitAttributes(it->second);
      }
      for (pugi::xml_attribute a : node.attributes()) attributes.emplace_back(a.name(), a.value());
      for (const auto& [name, value] : attributes) {
        if (name == "font") {
          EXPECT_LT(std::stoi(value), fontCount) << folder << " " << node.attribute("name").value();
        } else if (name.find("color") != std::string::npos && value[0] != '#') {
          EXPECT_TRUE(colours.count(value)) << folder << " names undefined colour " << value;
        } else if (IsImageAttribute(name)) {
          std::string file = ImageFile(value);
          // "../x" leaves the layout's folder for the theme folder.
          const std::string relative = file.rfind("../", 0) == 0 ? file.substr(3) : folder + file;
          for (const char* theme : kThemes) {
            const std::string path = std::string("resources/themes/") + theme + "/" + relative;
            EXPECT_TRUE(archive_->Contains(path)) << path;
          }
          ++images;
        }
      }
    }
  }
  EXPECT_GT(images, 20);
}

}  // namespace
