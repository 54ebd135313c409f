// A minimal PNG writer for the console window's screenshot: 8-bit RGB, uncompressed deflate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

// Writes `rgb` (rows top to bottom, three bytes per pixel, no padding) as a PNG file at
// `path`. Returns false when the sizes disagree or the file cannot be written.
[[nodiscard]] bool WritePng(const std::string& path, int width, int height,
                            const std::vector<std::uint8_t>& rgb);

}  // namespace test_support
