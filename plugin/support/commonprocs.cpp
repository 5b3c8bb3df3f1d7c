#include "commonprocs.h"

#include "Alerts.h"
#include "Processes.h"

#include <algorithm>
#include <cstring>

void CopyPStr(ConstStr255Param theSource, Str255 theDest)
{
    std::memmove(theDest, theSource, theSource[0] + 1u);
}

void AppendPStr(Str255 theText, ConstStr255Param theTail)
{
    int theCount = std::min(255 - theText[0], int(theTail[0]));
    std::memmove(theText + 1 + theText[0], theTail + 1, static_cast<size_t>(theCount));
    theText[0] = static_cast<unsigned char>(theText[0] + theCount);
}

void AppendCStr(Str255 theText, const char* theTail)
{
    Str255 theTailText;
    CopyCStrToPStr(theTail, theTailText);
    AppendPStr(theText, theTailText);
}

void CopyCStrToPStr(const char* theSource, Str255 theDest)
{
    size_t theLength = std::min<size_t>(std::strlen(theSource), 255);
    std::memcpy(theDest + 1, theSource, theLength);
    theDest[0] = static_cast<unsigned char>(theLength);
}

void Assert(const void* thePtr, ConstStr255Param failLocation)
{
    if (thePtr) return;
    Str255 theDescription;
    CopyCStrToPStr("Assertion failed in: ", theDescription);
    AppendPStr(theDescription, failLocation);
    Terminate(PSTR("Assertion Failure"), theDescription);
}

void Terminate(ConstStr255Param headline, ConstStr255Param description)
{
    DialogRef theAlert = nullptr;
    CFStringRef theHeadline = MakeCFString(headline);
    CFStringRef theDescription = MakeCFString(description);
    (void)CreateStandardAlert(kAlertStopAlert, theHeadline, theDescription, nullptr, &theAlert);
    DialogItemIndex theItemHit = 0;
    (void)RunStandardAlert(theAlert, nullptr, &theItemHit);
    ExitToShell();
}

SInt16 StandardWarning(ConstStr255Param headline, ConstStr255Param description, ConstStr255Param okText,
                       ConstStr255Param cancelText)
{
    AlertStdCFStringAlertParamRec theParams;
    theParams.version = kStdCFStringAlertVersionOne;
    theParams.movable = true;
    theParams.helpButton = false;
    theParams.defaultText = MakeCFString(okText);
    theParams.cancelText = cancelText[0] ? MakeCFString(cancelText) : nullptr;
    theParams.otherText = nullptr;
    theParams.defaultButton = kStdOkItemIndex;
    theParams.cancelButton = kStdCancelItemIndex;
    theParams.position = kWindowDefaultPosition;
    theParams.flags = 0;

    CFStringRef theHeadline = MakeCFString(headline);
    CFStringRef theDescription = MakeCFString(description);
    DialogRef theAlert = nullptr;
    DialogItemIndex theItemHit = kStdOkItemIndex;
    if (CreateStandardAlert(kAlertCautionAlert, theHeadline, theDescription, &theParams, &theAlert) == noErr)
        (void)RunStandardAlert(theAlert, nullptr, &theItemHit);

    for (CFStringRef theString : {theHeadline, theDescription, theParams.defaultText, theParams.cancelText})
        if (theString) CFRelease(theString);
    return theItemHit;
}

void Notify(ConstStr255Param theMessage)
{
    (void)StandardWarning(PSTR("Internal Notification:"), theMessage, PSTR("ok"), PSTR(""));
}

void Num2Text(SInt32 theNum, Str255 theText)
{
    char theDigits[16];
    int theLength = 0;
    // Work on the negative value, which also holds the most negative number.
    SInt32 theRest = theNum < 0 ? theNum : -theNum;
    do {
        theDigits[theLength++] = static_cast<char>('0' - theRest % 10);
        theRest /= 10;
    } while (theRest != 0);
    int k = 0;
    if (theNum < 0) theText[++k] = '-';
    while (theLength > 0) theText[++k] = static_cast<unsigned char>(theDigits[--theLength]);
    theText[0] = static_cast<unsigned char>(k);
}

CFStringRef MakeCFString(ConstStr255Param theString)
{
    return CFStringCreateWithPascalString(kCFAllocatorDefault, theString, kCFStringEncodingMacRoman);
}

void CenterRectInRect(Rect* theRect, const Rect& theBounds)
{
    SInt32 theCentreX = (theBounds.right - theBounds.left) / 2 + theBounds.left;
    SInt32 theCentreY = (theBounds.bottom - theBounds.top) / 2 + theBounds.top;
    SInt32 theRectX = (theRect->right - theRect->left) / 2 + theRect->left;
    SInt32 theRectY = (theRect->bottom - theRect->top) / 2 + theRect->top;
    SInt16 theDeltaX = static_cast<SInt16>(theRectX - theCentreX);
    SInt16 theDeltaY = static_cast<SInt16>(theRectY - theCentreY);
    OffsetRect(theRect, static_cast<SInt16>(-theDeltaX), static_cast<SInt16>(-theDeltaY));
}
