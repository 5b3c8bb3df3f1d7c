// Process control.
#pragma once

extern "C" {

// Ends the process. Only failures call it, so the exit status is 1.
[[noreturn]] void ExitToShell(void);

}
