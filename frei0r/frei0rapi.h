// frei0r's header declares the entry points without C linkage of its own.
#pragma once

extern "C" {
#include <frei0r.h>
}
