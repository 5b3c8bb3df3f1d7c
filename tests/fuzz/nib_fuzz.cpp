// libFuzzer target for the interface-file loader: any bytes give either a description that keeps
// every promise the toolbox builds on, or an error text; never a crash.
#include "interfacefile.h"

#include <cstdint>

using namespace toolbox_internal;

namespace {

void Require(bool theCondition)
{
    if (!theCondition) __builtin_trap();
}

void CheckControl(const ControlSpec& theControl)
{
    Require(theControl.minimum <= theControl.maximum);
    Require(theControl.value >= theControl.minimum && theControl.value <= theControl.maximum);
    Require(theControl.bounds.left <= theControl.bounds.right && theControl.bounds.top <= theControl.bounds.bottom);
    Require(theControl.title.size() <= 255);
    Require(theControl.kind != ControlKind::PopupMenu ||
            (!theControl.items.empty() && theControl.maximum == static_cast<SInt32>(theControl.items.size())));
    Require(theControl.kind != ControlKind::Custom || !theControl.classSuffix.empty());
    Require(theControl.kind <= ControlKind::Custom);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    InterfaceFile theFile;
    std::string theError;
    if (!ParseInterfaceFile(reinterpret_cast<const char*>(theData), theSize, theFile, theError)) {
        Require(!theError.empty());
        return 0;
    }
    for (const WindowSpec& theWindow : theFile.windows) {
        Require(!theWindow.name.empty());
        Require(theWindow.width >= 1 && theWindow.width <= 4096 && theWindow.height >= 1 && theWindow.height <= 4096);
        for (const ControlSpec& theControl : theWindow.controls) CheckControl(theControl);
    }
    return 0;
}
