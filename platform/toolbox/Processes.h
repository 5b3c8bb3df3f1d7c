// Process control.
#pragma once

extern "C" {

// Ends the process with exit status 1 (only failures call it), running at_quick_exit hooks.
[[noreturn]] void ExitToShell(void);

}
