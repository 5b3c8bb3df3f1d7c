#include "framecache.h"

#include <algorithm>

namespace video {

namespace {

// Rows aligned for the scaler's vector code.
int AlignedRowBytes(int theWidth)
{
    return (theWidth * 4 + 63) / 64 * 64;
}

} // namespace

FrameCache::~FrameCache()
{
    Clear();
}

void FrameCache::SetLimits(int theFrames, SInt64 theBytes)
{
    Clear();
    mEntries.resize(size_t(std::max(theFrames, 0)));
    mByteLimit = theBytes;
}

void FrameCache::Clear()
{
    for (Entry& theEntry : mEntries) Evict(theEntry);
}

void FrameCache::Evict(Entry& theEntry)
{
    if (theEntry.number < 0) return;
    mBytes -= SInt64(theEntry.pixels.rowBytes) * theEntry.pixels.height;
    av_freep(&theEntry.pixels.base);
    theEntry = Entry{};
}

FrameCache::Entry* FrameCache::EntryFor(SInt64 theNumber, int theWidth, int theHeight)
{
    for (Entry& theEntry : mEntries) {
        if (theEntry.number == theNumber && theEntry.pixels.width == theWidth && theEntry.pixels.height == theHeight)
            return &theEntry;
    }
    return nullptr;
}

const ArgbPixels* FrameCache::Find(SInt64 theNumber, int theWidth, int theHeight)
{
    Entry* theEntry = EntryFor(theNumber, theWidth, theHeight);
    if (!theEntry) return nullptr;
    theEntry->lastUse = ++mClock;
    return &theEntry->pixels;
}

const ArgbPixels* FrameCache::Store(SInt64 theNumber, int theWidth, int theHeight)
{
    if (mEntries.empty()) return nullptr;
    Forget(theNumber, theWidth, theHeight);
    int theRowBytes = AlignedRowBytes(theWidth);
    SInt64 theSize = SInt64(theRowBytes) * theHeight;
    // An empty slot while the new picture fits; else the least recently used picture of the same
    // size lends its memory, so that a render at one size allocates nothing once the cache is
    // full; else the least recently used picture goes.
    Entry* theEmpty = nullptr;
    Entry* theSameSize = nullptr;
    Entry* theOldest = nullptr;
    for (Entry& theEntry : mEntries) {
        if (theEntry.number < 0) {
            if (!theEmpty) theEmpty = &theEntry;
            continue;
        }
        if (!theOldest || theEntry.lastUse < theOldest->lastUse) theOldest = &theEntry;
        const bool theFitsSize = theEntry.pixels.rowBytes == theRowBytes && theEntry.pixels.height == theHeight;
        if (theFitsSize && (!theSameSize || theEntry.lastUse < theSameSize->lastUse)) theSameSize = &theEntry;
    }
    Entry* theSlot = theEmpty && (mBytes + theSize <= mByteLimit || !theSameSize) ? theEmpty
                     : theSameSize                                               ? theSameSize
                                                                                 : theOldest;
    if (theSlot->number >= 0 && theSlot != theSameSize) Evict(*theSlot);
    while (mBytes + (theSlot->number < 0 ? theSize : 0) > mByteLimit) {
        Entry* theVictim = nullptr;
        for (Entry& theEntry : mEntries) {
            if (theEntry.number >= 0 && &theEntry != theSlot && (!theVictim || theEntry.lastUse < theVictim->lastUse))
                theVictim = &theEntry;
        }
        if (!theVictim) break;
        Evict(*theVictim);
    }
    if (theSlot->number < 0) {
        theSlot->pixels.base = static_cast<uint8_t*>(av_malloc(size_t(theSize)));
        if (!theSlot->pixels.base) return nullptr;
        theSlot->pixels.rowBytes = theRowBytes;
        theSlot->pixels.height = theHeight;
        mBytes += theSize;
    }
    theSlot->pixels.width = theWidth;
    theSlot->number = theNumber;
    theSlot->lastUse = ++mClock;
    return &theSlot->pixels;
}

void FrameCache::Forget(SInt64 theNumber, int theWidth, int theHeight)
{
    if (Entry* theEntry = EntryFor(theNumber, theWidth, theHeight)) Evict(*theEntry);
}

} // namespace video
