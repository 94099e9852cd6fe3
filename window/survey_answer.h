// The exit survey's answer: the five fixed reasons and the free text folded into one line.
// Win32-free; UI thread (the survey page) in practice, but any thread is fine.
#pragma once

#include <array>
#include <string>

constexpr int kSurveyReasonCount = 5;
using SurveyReasons = std::array<bool, kSurveyReasonCount>;  // checkbox_1 .. checkbox_5 ticked

// The label a ticked reason adds to the answer (the product's first report label for
// checkbox_1 ...); index 0..4.
const wchar_t* SurveyReasonLabel(int index);

// The quit button is usable once the user has said something: a reason or any text.
bool IsSurveyAnswered(const SurveyReasons& reasons, const std::wstring& feedback);

// The feedback with one space appended, CR and LF removed and ASCII double quotes turned into
// "”", followed by the labels of the ticked reasons in the order 1 to 5.
std::wstring BuildSurveyAnswer(const std::wstring& feedback, const SurveyReasons& reasons);
