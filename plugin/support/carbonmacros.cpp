#include "carbonmacros.h"

#include "CFBundle.h"
#include "IBCarbonRuntime.h"
#include "commonprocs.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* cDefaultNib = "quellisand";

} // namespace

WindowRef OpenNibWindowFromCFBundle(const char* theIdentifier, const char* theNib, const char* theWindow)
{
    Str255 theLocation;
    CFStringRef theBundleID = CFSTR(theIdentifier);
    CopyCStrToPStr("Cannot allocate CFSTR for ", theLocation);
    AppendCStr(theLocation, theIdentifier);
    Assert(theBundleID, theLocation);

    CFBundleRef theBundle = CFBundleGetBundleWithIdentifier(theBundleID);
    CopyCStrToPStr(" Cannot allocate bundle for ID = ", theLocation);
    AppendCStr(theLocation, theIdentifier);
    Assert(theBundle, theLocation);
    CFRetain(theBundle);

    const char* theNibName = theNib && *theNib ? theNib : cDefaultNib;
    IBNibRef theNibRef = nullptr;
    OSStatus theStatus = CreateNibReferenceWithCFBundle(theBundle, CFSTR(theNibName), &theNibRef);
    if (theStatus != noErr) {
        Str255 theDescription, theNumber;
        CopyCStrToPStr("Unable to CreateNibReferenceWithCFBundle for \"", theDescription);
        AppendCStr(theDescription, theIdentifier);
        AppendCStr(theDescription, "/");
        AppendCStr(theDescription, theNibName);
        AppendCStr(theDescription, "\" as it returned errcode #");
        Num2Text(theStatus, theNumber);
        AppendPStr(theDescription, theNumber);
        AppendCStr(theDescription, ".");
        Terminate(PSTR("OpenNibWindow Failed"), theDescription);
    }

    WindowRef theResult = nullptr;
    theStatus = CreateWindowFromNib(theNibRef, CFSTR(theWindow), &theResult);
    if (theStatus != noErr) {
        std::fflush(nullptr);
        std::quick_exit(theStatus & 0xFF);
    }

    DisposeNibReference(theNibRef);
    CFRelease(theBundle);
    return theResult;
}

ControlRef SimpleGetControlByID(WindowRef theWindow, OSType theSig, SInt16 theID)
{
    const ControlID theControlID{theSig, theID};
    ControlRef theControl = nullptr;
    GetControlByID(theWindow, &theControlID, &theControl);
    return theControl;
}

void SimpleSetControlText(WindowRef theWindow, OSType theSig, SInt16 theID, ConstStr255Param theText)
{
    ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theID);
    if (!theControl) return;
    SetControlData(theControl, kControlEntireControl, kControlStaticTextTextTag, theText[0], theText + 1);
    Draw1Control(theControl);
}

void SimpleShowControl(WindowRef theWindow, OSType theSig, SInt16 theID)
{
    if (ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theID)) ShowControl(theControl);
}

void SimpleHideControl(WindowRef theWindow, OSType theSig, SInt16 theID)
{
    if (ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theID)) HideControl(theControl);
}

SInt32 SimpleGetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID)
{
    ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theID);
    return theControl ? GetControl32BitValue(theControl) : 0;
}

void SimpleSetControlValueByID(WindowRef theWindow, OSType theSig, SInt16 theID, SInt32 theVal)
{
    if (ControlRef theControl = SimpleGetControlByID(theWindow, theSig, theID)) SetControl32BitValue(theControl, theVal);
}

Rect GetControlBox(ControlRef theControl)
{
    Rect theBox;
    GetControlBounds(theControl, &theBox);
    return theBox;
}

void CommandID2Str(UInt32 commandID, Str255 theText)
{
    theText[0] = 4;
    for (int i = 0; i < 4; ++i) theText[i + 1] = static_cast<unsigned char>(commandID >> (24 - 8 * i));
}
