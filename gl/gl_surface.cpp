// GlDriver's surfaces for the picture service: image objects that remember
// the driver that made them.
#include <new>

#include "gl/gl_driver.h"
#include "modules/image.h"

Image* GlDriver::createSurface() { return new (std::nothrow) GlSurfaceImage(this); }
