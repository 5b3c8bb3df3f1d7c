// The headless backend: input from a scripted queue, windows that exist only as pixels.
#include "backend.h"
#include "modalloop.h"
#include "scriptedanswers.h"

#include <cstdio>
#include <deque>

using namespace toolbox_internal;

namespace {

class Headless final : public Backend {
public:
    bool NextInput(InputEvent& outEvent) override
    {
        if (mQueue.empty()) return false;
        outEvent = mQueue.front();
        mQueue.pop_front();
        return true;
    }

    bool IsHeadless() const override { return true; }

    void Push(const InputEvent& theEvent) { mQueue.push_back(theEvent); }
    long Pending() const { return static_cast<long>(mQueue.size()); }
    void Clear() { mQueue.clear(); }

private:
    std::deque<InputEvent> mQueue;
};

Headless& TheHeadless()
{
    static Headless* lgHeadless = new Headless;
    return *lgHeadless;
}

Backend* lgBackend = nullptr;

void PushMouse(InputEvent::Kind theKind, SInt16 h, SInt16 v, UInt32 theModifiers)
{
    InputEvent theEvent;
    theEvent.kind = theKind;
    theEvent.where = Point{v, h};
    theEvent.modifiers = theModifiers;
    TheHeadless().Push(theEvent);
}

} // namespace

namespace toolbox_internal {

Backend& HeadlessBackend()
{
    return TheHeadless();
}

Backend& CurrentBackend()
{
    return lgBackend ? *lgBackend : TheHeadless();
}

void UseBackend(Backend* theBackend)
{
    lgBackend = theBackend;
}

void PresentAll()
{
    Backend& theBackend = CurrentBackend();
    if (theBackend.IsHeadless()) return;
    for (WindowRef theWindow : WindowList())
        if (theWindow->visible) theBackend.Present(theWindow);
}

} // namespace toolbox_internal

extern "C" {

void HeadlessPushMouseDown(SInt16 h, SInt16 v, UInt32 modifiers)
{
    PushMouse(InputEvent::Kind::MouseDown, h, v, modifiers);
}

void HeadlessPushMouseDrag(SInt16 h, SInt16 v, UInt32 modifiers)
{
    PushMouse(InputEvent::Kind::MouseDrag, h, v, modifiers);
}

void HeadlessPushMouseUp(SInt16 h, SInt16 v, UInt32 modifiers)
{
    PushMouse(InputEvent::Kind::MouseUp, h, v, modifiers);
}

void HeadlessPushClick(SInt16 h, SInt16 v, UInt32 modifiers)
{
    HeadlessPushMouseDown(h, v, modifiers);
    HeadlessPushMouseUp(h, v, modifiers);
}

void HeadlessPushKey(UInt8 charCode, UInt32 modifiers)
{
    InputEvent theEvent;
    theEvent.kind = InputEvent::Kind::Key;
    theEvent.charCode = charCode;
    theEvent.modifiers = modifiers;
    TheHeadless().Push(theEvent);
}

void HeadlessPushCallback(HeadlessCallbackProcPtr theProc, void* theData)
{
    if (!theProc) return;
    InputEvent theEvent;
    theEvent.kind = InputEvent::Kind::Callback;
    theEvent.callback = theProc;
    theEvent.callbackData = theData;
    TheHeadless().Push(theEvent);
}

void HeadlessPushMenuChoice(SInt16 theItem)
{
    InputEvent theEvent;
    theEvent.kind = InputEvent::Kind::MenuChoice;
    theEvent.menuItem = theItem;
    TheHeadless().Push(theEvent);
}

long HeadlessPendingInput(void)
{
    return TheHeadless().Pending();
}

long HeadlessInputRunOuts(void)
{
    return InputRunOuts();
}

void HeadlessClearScript(void)
{
    TheHeadless().Clear();
    ClearScriptedAnswers();
}

Boolean HeadlessWriteWindowPicture(WindowRef theWindow, const char* thePath)
{
    CGrafPtr thePort = GetWindowPort(theWindow);
    PixMapHandle thePixMap = GetPortPixMap(thePort);
    Rect theBounds;
    GetPixBounds(thePixMap, &theBounds);
    std::FILE* theFile = std::fopen(thePath, "wb");
    if (!theFile) return false;
    const int theWidth = theBounds.right - theBounds.left, theHeight = theBounds.bottom - theBounds.top;
    std::fprintf(theFile, "P6\n%d %d\n255\n", theWidth, theHeight);
    const UInt8* theBase = reinterpret_cast<const UInt8*>(GetPixBaseAddr(thePixMap));
    for (int theRow = 0; theRow < theHeight; ++theRow)
        for (int theColumn = 0; theColumn < theWidth; ++theColumn)
            std::fwrite(theBase + static_cast<long>(theRow) * GetPixRowBytes(thePixMap) + 4 * theColumn + 1, 1, 3,
                        theFile);
    return std::fclose(theFile) == 0;
}

} // extern "C"
