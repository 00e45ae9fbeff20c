// Shared by the SDL parts of the platform layer.
#pragma once

namespace platform {

// Starts SDL's video (and event) subsystem once; false when no video driver
// can be opened.
bool ensureVideo();

// True under SDL's offscreen driver: windows exist but no one sees them.
bool isHeadless();

}  // namespace platform
