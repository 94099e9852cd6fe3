// Small shell services the window needs: the folder browser, opening a web page, and the
// system's text for an error code.
// Threading: UI thread (the folder browser runs a modal loop on it).
#pragma once

#include <windows.h>

#include <string>

// Shows the folder browser titled `title`, opened on `initialFolder`. Empty when the user
// cancels or the chosen item has no file-system path.
std::wstring BrowseForFolder(HWND owner, const std::wstring& title,
                             const std::wstring& initialFolder);

// Opens the URL in the user's browser, unelevated through the desktop's shell
// (app/desktop_shell.h). False when that shell could not open it; nothing was started then,
// and the caller shows the address instead. Leading and trailing blanks and control
// characters are stripped first.
bool OpenUrl(const std::wstring& url);

// The URL as OpenUrl passes it on: without leading and trailing spaces and characters below
// code point 30.
std::wstring TrimUrl(const std::wstring& url);

// The system's message text for `code` in the default language, CR and LF removed; empty
// when the system has none.
std::wstring SystemMessageText(int code);

// The failure page's reason line: the text "failure_reason" with the system's text for `code`
// as "{error}" and `stage` (the text "failure_stage_download" or "failure_stage_install") as
// "{stage}".
std::wstring FailureReasonText(int code, const std::wstring& stage);
