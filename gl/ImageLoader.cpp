#include "gl/ImageLoader.h"

#include "base/Trace.h"
#include "platform/ImageDecoder.h"

namespace qelFramework {

bool loadImageFile(const char* path, std::unique_ptr<unsigned char[]>& pixels, int& width, int& height,
                   int& channels) {
    pixels.reset();
    platform::DecodedImage image;
    if (!path || !platform::decodeImageFile(path, image)) {
        Trace::write(Trace::Error, "wicImageLoader", "could not load %s: %s", path ? path : "",
                     path ? image.error.c_str() : "no file name");
        return false;
    }
    pixels = std::move(image.pixels);
    width = image.width;
    height = image.height;
    channels = image.channels;
    Trace::write(Trace::Info, "wicImageLoader", "%s successfully loaded", path);
    return true;
}

} // namespace qelFramework
