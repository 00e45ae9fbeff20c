// The display-mode list of the GL driver, filled from an enumeration of the
// display's modes (platform::enumDisplayMode in the probe; the tests pass
// their own).
#pragma once
#include "gl/gl_driver.h"
#include "platform/window.h"

using ModeEnumerator = bool (*)(int index, platform::DisplayMode& mode);

// Releases the driver's mode records (and the selection), then appends a
// copy of every 16- and 32-bit mode in enumeration order. Failed when none.
ErrorCode collectDisplayModes(GlDriver& driver, ModeEnumerator enumerate);
