// Files that exist only while the Resource Manager writes them: the new file, under a hidden
// name, before it is renamed into place. A program that removes such files of its own when a
// signal ends it can hear of these too, without the Resource Manager knowing how it does so.
#pragma once

extern "C" {

// Told a path before its file is made. What it returns goes to the end procedure once the path
// is gone or renamed away. Neither may call the Resource Manager or throw.
typedef void* (*GlintPendingFileBeginProcPtr)(const char* thePath);
typedef void (*GlintPendingFileEndProcPtr)(void* theToken);

// Null procedures stop the telling.
void GlintSetPendingFileProcs(GlintPendingFileBeginProcPtr theBegin, GlintPendingFileEndProcPtr theEnd);

}
