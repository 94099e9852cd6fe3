// The installer's two-button message box: a skinned window (skin folder "msgbox") owned by
// another window, which stays disabled while the box is up. ShowMsgBox returns at once; the
// answer arrives later as a posted call on the UI thread.
//
//   ShowMsgBox(*this, L"确定退出吗？", MakeWeak([this](MsgBoxRet ret) { ... }),
//              L"提示", L"退出安装", L"下载完整安装包", kMsgBoxNo);
//
// An empty yes text hides btn_yes and gives btn_no the focus; an empty no text hides btn_no.
// btn_yes answers 0; btn_no, the box's close button, Esc and Alt+F4 answer 1.
// Threading: UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

enum MsgBoxRet { kMsgBoxYes = 0, kMsgBoxNo = 1 };

using MsgBoxCallback = std::function<void(MsgBoxRet)>;

// The box deletes itself when it closes. Returns false when it could not be created (a
// damaged skin, an owner that is gone); the caller's flow then goes on with `notShownAnswer`,
// which must be the answer that destroys nothing, since nobody chose it. It is posted after
// kNotShownAnswerDelayMs, so that a caller that asks again on that answer does not spin.
bool ShowMsgBox(HWND owner, const std::wstring& content, MsgBoxCallback callback,
                const std::wstring& title, const std::wstring& yesText,
                const std::wstring& noText, MsgBoxRet notShownAnswer);

constexpr int kNotShownAnswerDelayMs = 1000;
