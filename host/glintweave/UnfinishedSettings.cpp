#include "UnfinishedSettings.h"

#include "PendingFiles.h"
#include "signalcleanup.h"

#include <new>

namespace {

void* SettingsFileBeginHandler(const char* thePath)
{
    auto* theCleanup = new (std::nothrow) video::SignalCleanup;
    // Without a slot the file is left to the write's own cleanup, as when no signal comes.
    if (theCleanup && !theCleanup->Remember(thePath)) {
        delete theCleanup;
        return nullptr;
    }
    return theCleanup;
}

void SettingsFileEndHandler(void* theCleanup)
{
    delete static_cast<video::SignalCleanup*>(theCleanup);
}

} // namespace

void RemoveUnfinishedSettingsOnSignals()
{
    GlintSetPendingFileProcs(SettingsFileBeginHandler, SettingsFileEndHandler);
    video::RemovePendingOutputsOnSignals();
}
