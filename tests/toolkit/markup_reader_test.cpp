#include "toolkit/ui/core/markup_reader.h"

#include <gtest/gtest.h>

#include "toolkit/base/text_table.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/global_resources.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"

namespace ui {
namespace {

const char kGlobal[] = R"(<?xml version="1.0" encoding="utf-8"?>
<Global>
  <Font id="0" name="system" size="10"/>
  <Font id="1" name="system" size="12" bold="true"/>
  <TextColor name="white" value="#ffffffff"/>
  <Class name="blue" value="font=&quot;1&quot; normaltextcolor=&quot;white&quot; normalimage=&quot;file='../public/button/blue.png' corner='8,8,8,8'&quot; width=&quot;80&quot;"/>
  <Class name="broken" value="font=&quot;9&quot;"/>
</Global>)";

class MarkupReaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(GlobalResources::Parse(kGlobal, "themes/default/global.xml", &globals_, &error))
        << error;
  }

  bool Read(const std::string& body, LayoutDocument* doc, std::string* error) {
    return ReadLayout("<Window size=\"600,400\">\n" + body + "\n</Window>",
                      "themes/default/basic/basic.xml", &globals_, doc, error);
  }

  GlobalResources globals_;
};

TEST_F(MarkupReaderTest, ReadsWindowAttributes) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(ReadLayout("<Window size=\"340,180\" caption=\"0,0,0,34\" shadowattached=\"true\" "
                         "roundcorner=\"0,0\"><Box/></Window>",
                         "msgbox.xml", &globals_, &doc, &error))
      << error;
  EXPECT_EQ((Size{340, 180}), doc.window.size);
  EXPECT_EQ(34, doc.window.caption.bottom);
  EXPECT_TRUE(doc.window.shadowAttached);
  EXPECT_STREQ("Box", doc.root->TypeName());
}

TEST_F(MarkupReaderTest, ReadsTheEscapeButton) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(ReadLayout("<Window size=\"600,400\" escapebutton=\"btn_exit\"><Box/></Window>",
                         "basic.xml", &globals_, &doc, &error))
      << error;
  EXPECT_EQ(L"btn_exit", doc.window.escapeButton);
}

TEST_F(MarkupReaderTest, BuildsTheTreeWithTypesAndNames) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(Read("<VBox name=\"page\"><Label name=\"l\" text=\"hi\"/><HBox><CheckBox "
                   "name=\"c\" selected=\"true\"/><RichEdit name=\"e\" multiline=\"true\"/>"
                   "</HBox><Progress name=\"p\" value=\"30\"/></VBox>",
                   &doc, &error))
      << error;
  Box* root = dynamic_cast<Box*>(doc.root.get());
  ASSERT_NE(nullptr, root);
  EXPECT_NE(nullptr, root->FindByName<VBox>(L"page"));
  EXPECT_EQ(L"hi", root->FindByName<Label>(L"l")->GetText());
  EXPECT_TRUE(root->FindByName<CheckBox>(L"c")->IsSelected());
  EXPECT_TRUE(root->FindByName<RichEdit>(L"e")->IsMultiLine());
  EXPECT_EQ(30, root->FindByName<Progress>(L"p")->GetValue());
}

TEST_F(MarkupReaderTest, TextsByKeyComeFromTheTable) {
  const base::TextTable productTexts = base::Texts();
  base::TextTable table;
  std::string error;
  ASSERT_TRUE(base::TextTable::Parse("greeting = Hello {name}\ntip = Click\n", &table, &error));
  base::SetTexts(table);
  LayoutDocument doc;
  const bool read = Read("<VBox><Label name=\"l\" text=\"@greeting\" tooltip=\"@tip\"/>"
                         "<RichEdit name=\"e\" text=\"@@home\"/></VBox>", &doc, &error);
  LayoutDocument missing;
  std::string missingError;
  EXPECT_FALSE(Read("<VBox>\n<Button text=\"@install_nwo\"/></VBox>", &missing, &missingError));
  base::SetTexts(productTexts);
  ASSERT_TRUE(read) << error;
  Box* root = static_cast<Box*>(doc.root.get());
  EXPECT_EQ(L"Hello {name}", root->FindByName<Label>(L"l")->GetText());
  EXPECT_EQ(L"Click", root->FindByName<Label>(L"l")->GetToolTip());
  EXPECT_EQ(L"@home", root->FindByName<RichEdit>(L"e")->GetText());
  EXPECT_EQ("themes/default/basic/basic.xml:3: unknown text key 'install_nwo'", missingError);
}

TEST_F(MarkupReaderTest, FindByNameChecksTheType) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(Read("<VBox><Label name=\"l\"/></VBox>", &doc, &error)) << error;
  Box* root = static_cast<Box*>(doc.root.get());
  EXPECT_EQ(nullptr, root->FindByName<Button>(L"l"));
  EXPECT_EQ(nullptr, root->FindByName<Label>(L"missing"));
}

TEST_F(MarkupReaderTest, ClassAppliesFirstAndOwnAttributesWin) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(Read("<VBox><Button name=\"b\" width=\"240\" class=\"blue\"/></VBox>", &doc,
                   &error))
      << error;
  Button* b = static_cast<Box*>(doc.root.get())->FindByName<Button>(L"b");
  EXPECT_EQ(240, b->GetWidth().value);
  EXPECT_EQ(1, b->GetFont());
  EXPECT_EQ(0xffffffffu, b->GetTextColor());
  // Relative to the folder of the layout that uses the class.
  EXPECT_EQ("themes/default/public/button/blue.png", b->GetNormalImage().file);
  EXPECT_EQ((Insets{8, 8, 8, 8}), b->GetNormalImage().corner);
}

TEST_F(MarkupReaderTest, ImagePathIsRelativeToTheLayoutFolder) {
  LayoutDocument doc;
  std::string error;
  ASSERT_TRUE(Read("<Box bkimage=\"bkg_top.png\"/>", &doc, &error)) << error;
  EXPECT_EQ("themes/default/basic/bkg_top.png", doc.root->GetBkImage().file);
}

TEST_F(MarkupReaderTest, UnknownElementNamesFileAndLine) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<VBox>\n<Lable text=\"x\"/>\n</VBox>", &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:3: unknown element 'Lable'", error);
}

TEST_F(MarkupReaderTest, UnknownAttributeNamesTypeAndLine) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<VBox>\n\n<Progress text=\"x\"/></VBox>", &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:4: Progress has no attribute 'text'", error);
}

TEST_F(MarkupReaderTest, BadValueNamesAttributeAndLine) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<VBox margin=\"1,2\"/>", &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:2: bad margin \"1,2\"", error);
}

TEST_F(MarkupReaderTest, NumbersBeyondWhatALayoutNeedsAreBadValues) {
  LayoutDocument doc;
  std::string error;
  EXPECT_TRUE(Read("<HBox><Control width=\"32767\"/></HBox>", &doc, &error)) << error;
  // Two of the old maximum, 999999999, overflowed the box's width sum.
  EXPECT_FALSE(Read("<HBox><Control width=\"32768\"/></HBox>", &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:2: bad width \"32768\"", error);
}

TEST_F(MarkupReaderTest, DeepNestingIsAnErrorNotAStackOverflow) {
  std::string open, close;
  for (int i = 0; i < 10000; ++i) {
    open += "<Box>";
    close += "</Box>";
  }
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read(open + close, &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:2: elements nested deeper than 64", error);
}

TEST_F(MarkupReaderTest, UnknownColourNameIsAnError) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<Box bkcolor=\"mauve\"/>", &doc, &error));
  EXPECT_NE(std::string::npos, error.find("unknown colour 'mauve'"));
}

TEST_F(MarkupReaderTest, ErrorInsideClassNamesTheClass) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<Label class=\"broken\"/>", &doc, &error));
  EXPECT_EQ("themes/default/basic/basic.xml:2: in class 'broken': font 9 is not defined in "
            "global.xml",
            error);
}

TEST_F(MarkupReaderTest, UnknownClassIsAnError) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<Label class=\"nope\"/>", &doc, &error));
  EXPECT_NE(std::string::npos, error.find("unknown class 'nope'"));
}

TEST_F(MarkupReaderTest, MalformedXmlNamesTheLine) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<VBox>\n<Label text=\"x\">\n</VBox>", &doc, &error));
  EXPECT_EQ(0u, error.find("themes/default/basic/basic.xml:"));
}

TEST_F(MarkupReaderTest, ControlsOtherThanBoxesHoldNoChildren) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<Label><Label/></Label>", &doc, &error));
  EXPECT_NE(std::string::npos, error.find("Label cannot hold child elements"));
}

TEST_F(MarkupReaderTest, WindowNeedsExactlyOneRoot) {
  LayoutDocument doc;
  std::string error;
  EXPECT_FALSE(Read("<Box/><Box/>", &doc, &error));
  EXPECT_NE(std::string::npos, error.find("exactly one"));
}

TEST(GlobalResourcesTest, FontsAreNumberedByPosition) {
  GlobalResources g;
  std::string error;
  ASSERT_TRUE(GlobalResources::Parse("<Global><Font name=\"system\" size=\"10\"/><Font "
                                     "name=\"arial\" size=\"18\" bold=\"true\" "
                                     "underline=\"true\"/></Global>",
                                     "g.xml", &g, &error))
      << error;
  ASSERT_NE(nullptr, g.FindFont(1));
  EXPECT_EQ(L"arial", g.FindFont(1)->face);
  EXPECT_EQ(18, g.FindFont(1)->size);
  EXPECT_TRUE(g.FindFont(1)->bold);
  EXPECT_TRUE(g.FindFont(1)->underline);
  EXPECT_EQ(nullptr, g.FindFont(2));
}

TEST(GlobalResourcesTest, UnknownElementNamesFileAndLine) {
  GlobalResources g;
  std::string error;
  EXPECT_FALSE(GlobalResources::Parse("<Global>\n<Colour name=\"a\" value=\"#ff000000\"/>"
                                      "</Global>",
                                      "themes/default/global.xml", &g, &error));
  EXPECT_EQ("themes/default/global.xml:2: unknown element 'Colour'", error);
}

TEST(GlobalResourcesTest, BadColourValueIsAnError) {
  GlobalResources g;
  std::string error;
  EXPECT_FALSE(GlobalResources::Parse("<Global><TextColor name=\"a\" value=\"red\"/></Global>",
                                      "g.xml", &g, &error));
  EXPECT_EQ("g.xml:1: bad colour \"red\"", error);
}

}  // namespace
}  // namespace ui
