// The installer's two-button message box: a skinned window (skin folder "msgbox") owned by
// another window, which stays disabled while the box is up. ShowMsgBox returns at once; the
// answer arrives later as a posted call on the UI thread.
//
//   if (!ShowMsgBox(GetHWND(), prompt.text, MakeWeak([this](MsgBoxRet ret) { ... }),
//                   prompt.title, prompt.yesButton, prompt.noButton, std::nullopt))
//     ...;  // nobody answered: take the way that starts nothing, report no click
//
// An empty yes text hides btn_yes and gives btn_no the focus; an empty no text hides btn_no.
// btn_yes answers 0; btn_no, the box's close button, Esc and Alt+F4 answer 1.
// Threading: UI thread only.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

enum MsgBoxRet { kMsgBoxYes = 0, kMsgBoxNo = 1 };

using MsgBoxCallback = std::function<void(MsgBoxRet)>;

// The box deletes itself when it closes. Returns false when it could not be created (a
// damaged skin, an owner that is gone). Nobody chose anything then: with `notShownAnswer`
// the caller's flow goes on with that answer, which must be one that starts and destroys
// nothing and whose handling reports no click; it is posted after kNotShownAnswerDelayMs, so
// that a caller that asks again on that answer does not spin. Without it (std::nullopt) the
// callback never runs and the caller acts on the false result itself.
bool ShowMsgBox(HWND owner, const std::wstring& content, MsgBoxCallback callback,
                const std::wstring& title, const std::wstring& yesText,
                const std::wstring& noText, std::optional<MsgBoxRet> notShownAnswer);

constexpr int kNotShownAnswerDelayMs = 1000;
