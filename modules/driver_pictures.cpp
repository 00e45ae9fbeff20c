// The Driver's picture service. Interim: no image objects yet.
#include "kernel/os.h"

Image* Driver::createImage() { return nullptr; }
ErrorCode Driver::loadImage(const char*, const char*, Image**) { return Failed; }
ErrorCode Driver::loadImageResized(const char*, const char*, Image**, int32_t, int32_t) { return Failed; }
Image* Driver::createSurface() { return nullptr; }
ErrorCode Driver::loadSurface(const char*, const char*, Image**) { return Failed; }
