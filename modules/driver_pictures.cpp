// The Driver's picture service: image objects made by the two makers and
// filled by the three loaders. The loaders call the makers through the
// interface, so a driver that overrides a maker gets its own kind of image.
#include <new>

#include "kernel/os.h"
#include "modules/image.h"

namespace {

// The caller's out argument changes only when the load succeeds.
ErrorCode handOut(Image* image, ErrorCode result, Image** out) {
    if (result != Ok || !out) {
        delete image;
        return result != Ok ? result : NullPointer;
    }
    *out = image;
    return Ok;
}

}  // namespace

Image* Driver::createImage() { return new (std::nothrow) StoredImage(0, 0); }

ErrorCode Driver::loadImage(const char* directory, const char* file, Image** image) {
    Image* made = createImage();
    if (!made) return Failed;
    return handOut(made, made->load(directory, file), image);
}

ErrorCode Driver::loadImageResized(const char* directory, const char* file, Image** image, int32_t width,
                                   int32_t height) {
    Image* made = createImage();
    if (!made) return Failed;
    return handOut(made, made->loadResized(directory, file, width, height), image);
}

Image* Driver::createSurface() { return new (std::nothrow) SurfaceImage; }

ErrorCode Driver::loadSurface(const char* directory, const char* file, Image** image) {
    Image* made = createSurface();
    if (!made) return Failed;
    return handOut(made, made->load(directory, file), image);
}
