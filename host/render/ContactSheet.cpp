#include "ContactSheet.h"

#include "MovieWriter.h"
#include "signalcleanup.h"

#include <algorithm>
#include <filesystem>

namespace {

constexpr SInt16 cMargin = 12;
constexpr SInt16 cRowTitleWidth = 72;
constexpr SInt16 cColumnTitleHeight = 24;
constexpr RGBColor cBackground{0x2020, 0x2020, 0x2424};
constexpr RGBColor cText{0xF0F0, 0xF0F0, 0xF0F0};

// Pascal string of at most 255 Mac Roman characters.
void DrawText(const std::string& theText, SInt16 theLeft, SInt16 theBaseline)
{
    Str255 theString;
    theString[0] = UInt8(std::min<size_t>(theText.size(), 255));
    std::copy_n(theText.begin(), theString[0], theString + 1);
    MoveTo(theLeft, theBaseline);
    DrawString(theString);
}

} // namespace

ContactSheet::ContactSheet(const std::vector<std::string>& theRowTitles,
                           const std::vector<std::string>& theColumnTitles, SInt16 theCellWidth, SInt16 theCellHeight)
    : mCellWidth(theCellWidth), mCellHeight(theCellHeight)
{
    const Rect theLast = CellRect(theRowTitles.size() - 1, theColumnTitles.size() - 1);
    Rect theBounds{0, 0, SInt16(theLast.bottom + cMargin), SInt16(theLast.right + cMargin)};
    if (NewGWorld(&mSheet, 32, &theBounds, nullptr, nullptr, 0) != noErr) mSheet = nullptr;
    if (!mSheet) return;
    CGrafPtr theOldPort;
    GDHandle theOldDevice;
    GetGWorld(&theOldPort, &theOldDevice);
    SetGWorld(mSheet, nullptr);
    RGBForeColor(&cBackground);
    PaintRect(&theBounds);
    DrawTitles(theRowTitles, theColumnTitles);
    SetGWorld(theOldPort, theOldDevice);
}

ContactSheet::~ContactSheet()
{
    if (mSheet) DisposeGWorld(mSheet);
}

Rect ContactSheet::CellRect(size_t theRow, size_t theColumn) const
{
    const SInt16 theLeft = SInt16(cMargin + cRowTitleWidth + theColumn * (mCellWidth + cMargin));
    const SInt16 theTop = SInt16(cMargin + cColumnTitleHeight + theRow * (mCellHeight + cMargin));
    return Rect{theTop, theLeft, SInt16(theTop + mCellHeight), SInt16(theLeft + mCellWidth)};
}

void ContactSheet::DrawTitles(const std::vector<std::string>& theRowTitles,
                              const std::vector<std::string>& theColumnTitles)
{
    RGBForeColor(&cText);
    TextFont(0);
    TextSize(14);
    TextFace(bold);
    for (size_t theRow = 0; theRow < theRowTitles.size(); ++theRow) {
        const Rect theCell = CellRect(theRow, 0);
        DrawText(theRowTitles[theRow], cMargin, SInt16((theCell.top + theCell.bottom) / 2 + 5));
    }
    TextFace(normal);
    for (size_t theColumn = 0; theColumn < theColumnTitles.size(); ++theColumn) {
        const Rect theCell = CellRect(0, theColumn);
        DrawText(theColumnTitles[theColumn], theCell.left, SInt16(theCell.top - 8));
    }
}

void ContactSheet::PlaceFrame(size_t theRow, size_t theColumn, GWorldPtr theFrame)
{
    if (!mSheet) return;
    Rect theSource;
    GetPortBounds(theFrame, &theSource);
    const Rect theCell = CellRect(theRow, theColumn);
    CopyBits(GetPortBitMapForCopyBits(theFrame), GetPortBitMapForCopyBits(mSheet), &theSource, &theCell, srcCopy,
             nullptr);
}

bool ContactSheet::Write(const std::string& thePath, std::string& outError)
{
    if (!mSheet) {
        outError = "out of memory for the contact sheet";
        return false;
    }
    // The PNG writer numbers its pictures; the one picture is staged under a numbered hidden name.
    const std::filesystem::path theFinal(thePath);
    std::string theHidden = theFinal.stem().string();
    theHidden.insert(theHidden.begin(), '.');
    const std::filesystem::path theStaged = theFinal.parent_path() / (theHidden + "-%d.png");
    const std::filesystem::path theWritten = theFinal.parent_path() / (theHidden + "-0.png");
    Rect theBounds;
    GetPortBounds(mSheet, &theBounds);
    video::MovieSettings theSettings;
    theSettings.width = theBounds.right;
    theSettings.height = theBounds.bottom;
    std::unique_ptr<video::MovieWriter> theWriter = video::MovieWriter::Create(theStaged.string(), theSettings, outError);
    if (!theWriter || !theWriter->AddFrame(mSheet, nullptr, outError)) return false;
    // An ending signal waits until the staged picture has its name, or is gone.
    video::SignalHold theHold;
    if (!theWriter->Finish(outError)) return false;
    std::error_code theFailure;
    std::filesystem::rename(theWritten, theFinal, theFailure);
    if (theFailure) {
        outError = thePath + ": " + theFailure.message();
        std::filesystem::remove(theWritten, theFailure);
        return false;
    }
    return true;
}
