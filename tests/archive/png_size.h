// Reads a PNG's pixel size from its IHDR chunk, without decoding the image: the skin tests
// use it to check that every theme's images were drawn for its display scale.
//
//   uint32_t width = 0, height = 0;
//   if (ReadPngSize(bytes, &width, &height)) ...
//
// Threading: any thread.
#pragma once

#include <cstdint>
#include <string_view>

// False when `bytes` do not start with a PNG signature followed by a well-formed IHDR chunk.
bool ReadPngSize(std::string_view bytes, uint32_t* width, uint32_t* height);
