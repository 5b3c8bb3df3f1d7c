// Test hooks of the headless backend: scripted answers and a record of what was shown.
#pragma once

#include "MacTypes.h"

extern "C" {

// The next alert is answered with this button instead of its default button.
void HeadlessPushAlertAnswer(SInt16 theItemHit);
void HeadlessClearScript(void);
// Number of alerts shown since start, and the last one's texts (UTF-8, valid until the next alert).
long HeadlessAlertCount(void);
const char* HeadlessLastAlertHeadline(void);
const char* HeadlessLastAlertExplanation(void);

}
