#include "scriptedanswers.h"

#include "HeadlessScript.h"

#include <deque>

namespace {

std::deque<SInt16> lgAlertAnswers;
std::deque<toolbox_internal::PickerAnswer> lgPickerAnswers;

template <typename T>
std::optional<T> PopFront(std::deque<T>& theQueue)
{
    if (theQueue.empty()) return std::nullopt;
    T theValue = theQueue.front();
    theQueue.pop_front();
    return theValue;
}

} // namespace

namespace toolbox_internal {

std::optional<SInt16> NextAlertAnswer()
{
    return PopFront(lgAlertAnswers);
}

std::optional<PickerAnswer> NextPickerAnswer()
{
    return PopFront(lgPickerAnswers);
}

void ClearScriptedAnswers()
{
    lgAlertAnswers.clear();
    lgPickerAnswers.clear();
}

} // namespace toolbox_internal

extern "C" {

void HeadlessPushAlertAnswer(SInt16 theItemHit)
{
    lgAlertAnswers.push_back(theItemHit);
}

void HeadlessPushColorPickerAnswer(const RGBColor* theColor)
{
    if (theColor) lgPickerAnswers.push_back({true, *theColor});
}

void HeadlessPushColorPickerCancel(void)
{
    lgPickerAnswers.push_back({false, RGBColor{0, 0, 0}});
}

} // extern "C"
