#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/rich_edit.h"

namespace ui {
namespace {

TEST(ControlEventTest, HandlerGetsTheSender) {
  Button button;
  button.SetName(L"btn_startinstall");
  Control* seen = nullptr;
  button.AttachClick([&seen](const EventArgs& e) {
    seen = e.sender;
    return true;
  });
  EXPECT_TRUE(button.Click());
  EXPECT_EQ(&button, seen);
}

TEST(ControlEventTest, FirstHandlerReturningTrueEndsTheDispatch) {
  Button button;
  std::vector<int> calls;
  button.AttachClick([&calls](const EventArgs&) { calls.push_back(1); return false; });
  button.AttachClick([&calls](const EventArgs&) { calls.push_back(2); return true; });
  button.AttachClick([&calls](const EventArgs&) { calls.push_back(3); return true; });
  EXPECT_TRUE(button.Click());
  EXPECT_EQ((std::vector<int>{1, 2}), calls);
}

TEST(ControlEventTest, UnhandledEventBubblesToTheParent) {
  VBox root;
  Button* button = static_cast<Button*>(root.Add(std::make_unique<Button>()));
  Control* seen = nullptr;
  root.AttachClick([&seen](const EventArgs& e) {
    seen = e.sender;
    return true;
  });
  button->AttachClick([](const EventArgs&) { return false; });
  EXPECT_TRUE(button->Click());
  EXPECT_EQ(button, seen);
}

TEST(ControlEventTest, UnhandledClickReportsFalse) {
  Button button;
  button.AttachClick([](const EventArgs&) { return false; });
  EXPECT_FALSE(button.Click());
}

TEST(ControlEventTest, DisabledButtonDoesNotClick) {
  VBox root;
  Button* button = static_cast<Button*>(root.Add(std::make_unique<Button>()));
  int clicks = 0;
  button->AttachClick([&clicks](const EventArgs&) { return ++clicks > 0; });
  root.SetEnabled(false);  // disabled through its parent
  EXPECT_FALSE(button->Click());
  EXPECT_EQ(0, clicks);
}

TEST(ControlEventTest, CheckBoxClickTogglesAndFiresSelectThenUnselect) {
  CheckBox box;
  std::vector<EventType> events;
  auto record = [&events](const EventArgs& e) {
    events.push_back(e.type);
    return true;
  };
  box.AttachSelect(record);
  box.AttachUnSelect(record);
  box.Click();
  EXPECT_TRUE(box.IsSelected());
  box.Click();
  EXPECT_FALSE(box.IsSelected());
  EXPECT_EQ((std::vector<EventType>{EventType::kSelect, EventType::kUnSelect}), events);
}

TEST(ControlEventTest, SetSelectedFiresOnlyWhenAskedAndChanged) {
  CheckBox box;
  int events = 0;
  box.AttachSelect([&events](const EventArgs&) { return ++events > 0; });
  box.SetSelected(true);
  box.SetSelected(true, true);  // no change
  EXPECT_EQ(0, events);
  box.SetSelected(false);
  box.SetSelected(true, true);
  EXPECT_EQ(1, events);
}

TEST(ControlEventTest, HotImageFadesInOnlyWhenTheButtonFades) {
  MarkupContext context(nullptr, "");
  std::string error;
  Button fading;
  ASSERT_TRUE(fading.Attributes().Find("hotimage")(fading, "hot.png", context, &error));
  fading.SetHot(true);
  EXPECT_EQ(0, fading.GetHotFade());
  Button instant;
  ASSERT_TRUE(instant.Attributes().Find("hotimage")(instant, "hot.png", context, &error));
  ASSERT_TRUE(instant.Attributes().Find("fadehot")(instant, "false", context, &error));
  instant.SetHot(true);
  EXPECT_EQ(255, instant.GetHotFade());
}

class FakePeer : public RichEditPeer {
 public:
  void SetPeerText(const std::wstring& text) override { text_ = text; }
  std::wstring GetPeerText() const override { return text_; }
  std::wstring text_;
};

TEST(ControlEventTest, RichEditReadsTheNativeTextAndReportsUserChanges) {
  RichEdit edit;
  edit.SetText(L"before");
  FakePeer peer;
  edit.SetPeer(&peer);
  edit.SetText(L"C:\\x");
  EXPECT_EQ(L"C:\\x", peer.text_);
  int changes = 0;
  edit.AttachTextChange([&changes](const EventArgs&) { return ++changes > 0; });
  peer.text_ = L"typed";
  edit.OnUserTextChange();
  EXPECT_EQ(1, changes);
  EXPECT_EQ(L"typed", edit.GetText());
}

// Focus order over a laid-out tree: rectangles are set by hand here.
class FocusOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_.SetPos(Rect{0, 0, 100, 100});
    a_ = Add<Button>(Rect{0, 0, 10, 10});
    label_ = Add<Label>(Rect{0, 10, 10, 20});
    b_ = Add<CheckBox>(Rect{0, 20, 10, 30});
    c_ = Add<RichEdit>(Rect{0, 30, 10, 40});
  }

  template <typename T>
  T* Add(const Rect& pos) {
    T* c = static_cast<T*>(root_.Add(std::make_unique<T>()));
    c->SetPos(pos);
    return c;
  }

  VBox root_;
  Button* a_;
  Label* label_;
  CheckBox* b_;
  RichEdit* c_;
};

TEST_F(FocusOrderTest, TabVisitsButtonsCheckBoxesAndEditsInDocumentOrder) {
  EXPECT_EQ((std::vector<Control*>{a_, b_, c_}), FocusOrder(&root_));
}

TEST_F(FocusOrderTest, DisabledAndHiddenControlsAreSkipped) {
  b_->SetEnabled(false);
  c_->SetVisible(false);
  EXPECT_EQ((std::vector<Control*>{a_}), FocusOrder(&root_));
}

TEST_F(FocusOrderTest, NextWrapsAroundBothWays) {
  EXPECT_EQ(a_, NextFocus(&root_, c_, true));
  EXPECT_EQ(c_, NextFocus(&root_, a_, false));
  EXPECT_EQ(b_, NextFocus(&root_, a_, true));
}

TEST_F(FocusOrderTest, WithoutCurrentStartsAtTheEnds) {
  EXPECT_EQ(a_, NextFocus(&root_, nullptr, true));
  EXPECT_EQ(c_, NextFocus(&root_, nullptr, false));
}

TEST_F(FocusOrderTest, HitTestPrefersTheTopmostShownChild) {
  Button* over = Add<Button>(Rect{0, 0, 10, 10});
  EXPECT_EQ(over, FindControlAt(&root_, Point{5, 5}));
  over->SetVisible(false);
  EXPECT_EQ(a_, FindControlAt(&root_, Point{5, 5}));
  EXPECT_EQ(&root_, FindControlAt(&root_, Point{50, 50}));
  EXPECT_EQ(nullptr, FindControlAt(&root_, Point{150, 50}));
}

}  // namespace
}  // namespace ui
