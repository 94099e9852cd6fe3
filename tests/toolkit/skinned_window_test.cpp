#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/toolkit/skin_fixture.h"
#include "toolkit/ui/win/image_cache.h"
#include "toolkit/ui/win/painter.h"
#include "toolkit/ui/win/shadow_window.h"

namespace ui {
namespace {

// The installer's main window style: a framed window the toolkit turns borderless.
constexpr DWORD kMainStyle = 0x00CE0000;

class SkinnedWindowTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(StartToolkitOnSkin(GetParam(), &error)) << error;
    window_ = std::make_unique<TestWindow>(L"basic", L"basic.xml");
    ASSERT_NE(nullptr, window_->Create(nullptr, L"MainWindow", kMainStyle, 0, true))
        << window_->GetLayoutError();
    window_->CenterWindow();
    window_->ShowWindow();
    UpdateWindow(window_->GetHWND());
    // Pixel probes start once the display shows the painted window.
    RECT r;
    GetWindowRect(hwnd(), &r);
    ASSERT_TRUE(PumpUntil([&r, this] { return ScreenPixel(r.left + S(10), r.top + S(380)) == 0xF4F8F9u; }));
  }
  void TearDown() override {
    window_.reset();
    PumpPending();
    GlobalManager::Shutdown();
  }

  int S(int v) const { return ScaleValue(v, GetParam()); }
  HWND hwnd() const { return window_->GetHWND(); }

  // The centre of a control in screen coordinates.
  POINT ScreenCentre(Control* c) const {
    POINT p{(c->GetPos().left + c->GetPos().right) / 2, (c->GetPos().top + c->GetPos().bottom) / 2};
    ClientToScreen(hwnd(), &p);
    return p;
  }
  LPARAM ClientPoint(Control* c) const {
    return MAKELPARAM((c->GetPos().left + c->GetPos().right) / 2,
                      (c->GetPos().top + c->GetPos().bottom) / 2);
  }

  std::unique_ptr<TestWindow> window_;
};

INSTANTIATE_TEST_SUITE_P(Scales, SkinnedWindowTest, ::testing::Values(100, 125, 150));

TEST_P(SkinnedWindowTest, IsTheLayoutSizeAtTheDisplayScaleWithoutFrame) {
  RECT window, client;
  GetWindowRect(hwnd(), &window);
  GetClientRect(hwnd(), &client);
  EXPECT_EQ(S(600), window.right - window.left);
  EXPECT_EQ(S(400), window.bottom - window.top);
  EXPECT_EQ(S(600), client.right);
  EXPECT_EQ(S(400), client.bottom);
  EXPECT_EQ(1, window_->initCount);
  SaveScreenshot(hwnd(), L"basic_" + std::to_wstring(GetParam()));
}

TEST_P(SkinnedWindowTest, PaintsBackgroundHeaderAndButton) {
  RECT r;
  GetWindowRect(hwnd(), &r);
  // Below the header and left of the pages: the window's background colour.
  EXPECT_EQ(0xF4F8F9u, ScreenPixel(r.left + S(10), r.top + S(380)));
  // The header image is not the background colour and not black.
  COLORREF header = ScreenPixel(r.left + S(20), r.top + S(120));
  EXPECT_NE(0xF4F8F9u, header);
  EXPECT_NE(0u, header);
  // The blue install button, near its left edge (away from the caption).
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  ASSERT_NE(nullptr, start);
  COLORREF button = ScreenPixel(r.left + start->GetPos().left + S(12),
                                r.top + (start->GetPos().top + start->GetPos().bottom) / 2);
  EXPECT_GT(button & 0xff, button >> 16) << std::hex << button;  // more blue than red
}

TEST_P(SkinnedWindowTest, NineSliceButtonHasNoSeams) {
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  RECT r;
  GetWindowRect(hwnd(), &r);
  const Rect& b = start->GetPos();
  auto blue = [](COLORREF c) { return (c & 0xff) > (c >> 16) + 100; };
  // Along the top, through the corner-to-edge boundaries, and down the left side.
  for (int x = b.left + S(4); x < b.left + S(40); ++x)
    EXPECT_TRUE(blue(ScreenPixel(r.left + x, r.top + b.top + S(12)))) << "x " << x;
  for (int y = b.top + S(4); y < b.bottom - S(4); ++y)
    EXPECT_TRUE(blue(ScreenPixel(r.left + b.left + S(12), r.top + y))) << "y " << y;
}

TEST_P(SkinnedWindowTest, FindControlChecksTheType) {
  EXPECT_NE(nullptr, window_->FindControl<Button>(L"btn_startinstall"));
  EXPECT_NE(nullptr, window_->FindControl<VBox>(L"welcompage"));
  EXPECT_NE(nullptr, window_->FindControl<Progress>(L"progress_install"));
  EXPECT_EQ(nullptr, window_->FindControl<RichEdit>(L"btn_startinstall"));
  EXPECT_EQ(nullptr, window_->FindControl<HBox>(L"welcompage"));
  EXPECT_EQ(nullptr, window_->FindControl<Button>(L"no_such_control"));
}

TEST_P(SkinnedWindowTest, MouseClickRunsTheHandlerWithTheSender) {
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  Control* sender = nullptr;
  start->AttachClick([&sender](const EventArgs& e) {
    sender = e.sender;
    return true;
  });
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, ClientPoint(start));
  EXPECT_TRUE(start->IsHot());
  SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(start));
  EXPECT_TRUE(start->IsPushed());
  SendMessageW(hwnd(), WM_LBUTTONUP, 0, ClientPoint(start));
  EXPECT_FALSE(start->IsPushed());
  EXPECT_EQ(start, sender);
}

TEST_P(SkinnedWindowTest, ReleasingOutsideTheButtonDoesNotClick) {
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  int clicks = 0;
  start->AttachClick([&clicks](const EventArgs&) { return ++clicks > 0; });
  SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(start));
  SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(2, S(390)));
  EXPECT_EQ(0, clicks);
  EXPECT_FALSE(start->IsPushed());
}

TEST_P(SkinnedWindowTest, HotButtonRepaintsWithItsHotImage) {
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  RECT r;
  GetWindowRect(hwnd(), &r);
  int x = r.left + start->GetPos().left + S(12);
  int y = r.top + (start->GetPos().top + start->GetPos().bottom) / 2;
  SetCursorPos(r.left + 2, r.bottom - 2);
  PumpPending();
  COLORREF normal = ScreenPixel(x, y);
  // The real pointer goes there, so the window's leave tracking agrees.
  POINT centre = ScreenCentre(start);
  SetCursorPos(centre.x, centre.y);
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, ClientPoint(start));
  EXPECT_TRUE(start->IsHot());
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(x, y) != normal; }, 2000));
  SetCursorPos(r.left + 2, r.bottom - 2);
  SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, S(398)));
  EXPECT_FALSE(start->IsHot());
  EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(x, y) == normal; }, 2000));
}

// A tick repaints only the strip between the bar's old and new ends, and what it paints is
// what a whole repaint paints.
TEST_P(SkinnedWindowTest, ProgressTickRepaintsOnlyTheChangedStripOfTheBar) {
  window_->FindControl<VBox>(L"welcompage")->SetVisible(false);
  window_->FindControl<VBox>(L"installpage")->SetVisible(true);
  Progress* progress = window_->FindControl<Progress>(L"progress_install");
  progress->SetValue(40);
  UpdateWindow(hwnd());
  progress->SetValue(55);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(hwnd(), &update, FALSE));
  const Rect& pos = progress->GetPos();
  EXPECT_EQ((Rect{pos.left + pos.Width() * 40 / 100, pos.top, pos.left + pos.Width() * 55 / 100,
                  pos.bottom}),
            (Rect{update.left, update.top, update.right, update.bottom}));
  UpdateWindow(hwnd());
  PumpPending();
  auto barRow = [&] {
    std::vector<COLORREF> row;
    POINT p{pos.left, (pos.top + pos.bottom) / 2};
    ClientToScreen(hwnd(), &p);
    for (int x = 0; x < pos.Width(); ++x) row.push_back(ScreenPixel(p.x + x, p.y));
    return row;
  };
  const std::vector<COLORREF> ticked = barRow();
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
  PumpPending();
  EXPECT_EQ(ticked, barRow());
  SaveScreenshot(hwnd(), L"install_" + std::to_wstring(GetParam()));
}

TEST_P(SkinnedWindowTest, ProgressLabelTickRepaintsOnlyTheLabel) {
  window_->FindControl<VBox>(L"welcompage")->SetVisible(false);
  window_->FindControl<VBox>(L"installpage")->SetVisible(true);
  UpdateWindow(hwnd());
  Label* label = window_->FindControl<Label>(L"progress_install_value");
  label->SetText(L"正在安装，请不要关闭：42%");
  RECT update;
  ASSERT_TRUE(GetUpdateRect(hwnd(), &update, FALSE));
  const Rect& pos = label->GetPos();
  EXPECT_EQ((Rect{pos.left, pos.top, pos.right, pos.bottom}),
            (Rect{update.left, update.top, update.right, update.bottom}));
}

TEST_P(SkinnedWindowTest, ImagesAreDecodedOnce) {
  UpdateWindow(hwnd());
  int decoded = GlobalManager::GetImages().DecodedCount();
  EXPECT_GT(decoded, 0);
  InvalidateRect(hwnd(), nullptr, FALSE);
  UpdateWindow(hwnd());
  EXPECT_EQ(decoded, GlobalManager::GetImages().DecodedCount());
}

// The install button's nine-slice image, composed on the decoding thread while the window was
// made, gives the pixels its nine slices give when drawn one by one.
TEST_P(SkinnedWindowTest, NineSliceComposedAheadLooksAsItsSlices) {
  auto* button = window_->FindControl<Button>(L"btn_startinstall");
  ASSERT_NE(button, nullptr);
  const ImageSpec& image = button->GetNormalImage();
  const int w = button->GetPos().Width(), h = button->GetPos().Height();
  Gdiplus::Bitmap* composed = GlobalManager::GetImages().GetComposed(image, Size{w, h});
  ASSERT_NE(composed, nullptr) << "not composed ahead";

  std::string error;
  std::unique_ptr<ResourceSource> source = OpenSkinSource(&error);
  ASSERT_NE(source, nullptr) << error;
  ImageCache slicesOnly(source.get(), "resources");  // asked to compose nothing
  PaintContext context;
  context.scale = GetParam();
  context.imageScale = GlobalManager::GetImageScale();
  context.images = &slicesOnly;
  Gdiplus::Bitmap slices(w, h, PixelFormat32bppPARGB), whole(w, h, PixelFormat32bppPARGB);
  for (Gdiplus::Bitmap* target : {&slices, &whole}) {
    Gdiplus::Graphics g(target);
    SetPaintQuality(g);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    if (target == &slices)
      DrawImage(g, image, Rect{0, 0, w, h}, context);
    else
      g.DrawImage(composed, Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel, nullptr);
  }
  ASSERT_EQ(slicesOnly.DecodedCount(), 1);
  int worst = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Gdiplus::Color a, b;
      slices.GetPixel(x, y, &a);
      whole.GetPixel(x, y, &b);
      worst = std::max({worst, std::abs(a.GetR() - b.GetR()), std::abs(a.GetG() - b.GetG()),
                        std::abs(a.GetB() - b.GetB())});
    }
  }
  EXPECT_LE(worst, 2) << "rounding apart at most";
}

TEST_P(SkinnedWindowTest, HiddenPagesTakeNoSpaceAndShownPageFillsTheClient) {
  Control* client = window_->FindControl(L"client");
  Rect inside = client->GetPos();
  inside.Deflate(ScaleInsets(client->GetPadding(), GetParam()));
  EXPECT_EQ(inside, window_->FindControl(L"welcompage")->GetPos());
  EXPECT_TRUE(window_->FindControl(L"installpage")->GetPos().IsEmpty());
}

TEST_P(SkinnedWindowTest, KeepsItsSizeWhenAskedToMaximize) {
  SendMessageW(hwnd(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  SendMessageW(hwnd(), WM_SYSCOMMAND, SC_SIZE, 0);
  RECT r;
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(S(600), r.right - r.left);
  EXPECT_EQ(S(400), r.bottom - r.top);
}

TEST_P(SkinnedWindowTest, ItsOwnerMayGrowItButNotBelowTheLayout) {
  // The installer grows its window for the customize bar, and shrinks it back.
  SetWindowPos(hwnd(), nullptr, 0, 0, S(600), S(448), SWP_NOMOVE | SWP_NOZORDER);
  RECT r;
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(S(448), r.bottom - r.top);
  SetWindowPos(hwnd(), nullptr, 0, 0, S(600), S(300), SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(S(400), r.bottom - r.top);
}

TEST_P(SkinnedWindowTest, CaptionDragsExceptOverButtons) {
  RECT r;
  GetWindowRect(hwnd(), &r);
  POINT over = ScreenCentre(window_->FindControl(L"btn_startinstall"));
  EXPECT_EQ(HTCLIENT, SendMessageW(hwnd(), WM_NCHITTEST, 0, MAKELPARAM(over.x, over.y)));
  EXPECT_EQ(HTCAPTION,
            SendMessageW(hwnd(), WM_NCHITTEST, 0, MAKELPARAM(r.left + S(10), r.top + S(300))));
}

TEST_P(SkinnedWindowTest, EscapeWithoutCloseButtonDoesNothing) {
  SendMessageW(hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpPending();
  EXPECT_EQ(0, window_->closeCount);
}

TEST_P(SkinnedWindowTest, CloseSendsTheValueToTheCloseHandler) {
  window_->Close(1);
  ASSERT_TRUE(PumpUntil([this] { return window_->closeCount == 1; }));
  EXPECT_EQ(1, window_->closeValue);
  EXPECT_EQ(nullptr, window_->GetHWND());  // the default close destroys the window
}

TEST_P(SkinnedWindowTest, ShadowIsShownOnlyWithComposition) {
  HWND shadow = FindWindowW(L"ui.ShadowWindow", nullptr);
  if (ShadowWindow::IsCompositionEnabled()) {
    ASSERT_NE(nullptr, shadow);
    EXPECT_TRUE(IsWindowVisible(shadow));
  } else {
    EXPECT_TRUE(shadow == nullptr || !IsWindowVisible(shadow));
  }
}

TEST_P(SkinnedWindowTest, NoBlackFrameAroundTheWindow) {
  RECT r;
  GetWindowRect(hwnd(), &r);
  // Outside the window only what was there before it: the desktop, never a shadow frame
  // (there is no compositor on this display).
  window_->ShowWindow(false);
  UpdateWindow(GetDesktopWindow());
  PumpPending();
  COLORREF before[4] = {ScreenPixel(r.left - 3, r.top + 50), ScreenPixel(r.right + 2, r.top + 50),
                        ScreenPixel(r.left + 50, r.top - 3), ScreenPixel(r.left + 50, r.bottom + 2)};
  window_->ShowWindow(true);
  UpdateWindow(hwnd());
  PumpPending();
  COLORREF after[4] = {ScreenPixel(r.left - 3, r.top + 50), ScreenPixel(r.right + 2, r.top + 50),
                       ScreenPixel(r.left + 50, r.top - 3), ScreenPixel(r.left + 50, r.bottom + 2)};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(before[i], after[i]) << "side " << i;
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

// Start-up cost from the archive to the first painted window, measured at 100 %.
TEST(SkinnedWindowStartupTest, ArchiveToFirstPaintIsQuick) {
  LARGE_INTEGER frequency, t0, t1, t2, t3;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&t0);
  std::string error;
  ASSERT_TRUE(StartToolkitOnSkin(100, &error)) << error;
  QueryPerformanceCounter(&t1);
  auto window = std::make_unique<TestWindow>(L"basic", L"basic.xml");
  ASSERT_NE(nullptr, window->Create(nullptr, L"MainWindow", 0x00CE0000, 0, true));
  QueryPerformanceCounter(&t2);
  window->ShowWindow();
  UpdateWindow(window->GetHWND());
  QueryPerformanceCounter(&t3);
  auto ms = [&](const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
    return static_cast<int>((b.QuadPart - a.QuadPart) * 1000 / frequency.QuadPart);
  };
  std::printf("startup %d ms, create %d ms, show+paint %d ms, images decoded %d\n", ms(t0, t1),
              ms(t1, t2), ms(t2, t3), GlobalManager::GetImages().DecodedCount());
  EXPECT_LT(ms(t0, t3), 3000);
  window.reset();
  GlobalManager::Shutdown();
}

}  // namespace
}  // namespace ui
