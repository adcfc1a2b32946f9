#pragma once
// Loading of PNG and JPEG files for textures, with the load's trace record.
#include <memory>

namespace qelFramework {

// Decodes the file into rows top to bottom, 8 bits per channel, `channels` 3 (RGB) or
// 4 (RGBA). `pixels` is emptied first and filled only on success. Writes
// "%s successfully loaded" (INFO) or "could not load %s: REASON" (ERROR) with the path
// and the decoder's reason.
bool loadImageFile(const char* path, std::unique_ptr<unsigned char[]>& pixels, int& width, int& height,
                   int& channels);

} // namespace qelFramework
