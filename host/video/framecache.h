// Recently delivered frames, already scaled, so that scrubbing back and forth decodes nothing.
#pragma once

#include "framescaler.h"
#include "MacTypes.h"

#include <vector>

namespace video {

class FrameCache {
public:
    FrameCache() = default;
    FrameCache(const FrameCache&) = delete;
    FrameCache& operator=(const FrameCache&) = delete;
    ~FrameCache();

    // At most theFrames pictures and theBytes of pixels; one picture is kept whatever its size.
    // No frames: the cache keeps nothing.
    void SetLimits(int theFrames, SInt64 theBytes);
    bool Keeps() const { return !mEntries.empty(); }

    // Frame theNumber at that size, or null.
    const ArgbPixels* Find(SInt64 theNumber, int theWidth, int theHeight);

    // Room for frame theNumber at that size, taken from the least recently used pictures;
    // null when memory runs out. Forget it if filling it fails.
    const ArgbPixels* Store(SInt64 theNumber, int theWidth, int theHeight);
    void Forget(SInt64 theNumber, int theWidth, int theHeight);

    void Clear();

private:
    struct Entry {
        SInt64 number = -1;
        ArgbPixels pixels;
        UInt64 lastUse = 0;
    };
    Entry* EntryFor(SInt64 theNumber, int theWidth, int theHeight);
    void Evict(Entry& theEntry);

    std::vector<Entry> mEntries; // fixed length: the frame limit
    SInt64 mByteLimit = 0;
    SInt64 mBytes = 0;
    UInt64 mClock = 0;
};

} // namespace video
