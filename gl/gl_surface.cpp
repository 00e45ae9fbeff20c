// GlDriver's surfaces for the picture service. Interim: the Driver default.
#include "gl/gl_driver.h"

Image* GlDriver::createSurface() { return Driver::createSurface(); }
