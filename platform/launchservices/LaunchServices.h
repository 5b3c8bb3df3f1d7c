// Launch Services: opening a document with the application the desktop assigns to it.
#pragma once

#include "Files.h"

enum {
    kLSUnknownErr = -10810,
    kLSApplicationNotFoundErr = -10814
};

extern "C" {

// Hands the file to the desktop's opener (xdg-open, or the program GLINT_OPEN_COMMAND names).
// Returns when the opener has finished or has run for a moment without failing;
// kLSApplicationNotFoundErr when there is no opener or no application for the file.
// outLaunchedRef is not filled in and may be null.
OSStatus LSOpenFSRef(const FSRef* inRef, FSRef* outLaunchedRef);

}
