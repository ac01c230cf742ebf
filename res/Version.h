#pragma once

// The program's version, as the version block gives it.
#define DRIFTMOTE_VERSION_STRING "1.0.0.1"
#define DRIFTMOTE_VERSION_COMMAS "1, 0, 0, 1"
