// A minimal PNG writer: the image data goes into stored (uncompressed) deflate blocks, which
// every PNG reader accepts, so no compression library is needed.
#include "png_file.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <string_view>

namespace test_support {
namespace {

std::uint32_t Crc32(std::string_view type, const std::vector<std::uint8_t>& data) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  std::uint32_t crc = 0xFFFFFFFFU;
  const auto add = [&](std::uint8_t byte) { crc = table[(crc ^ byte) & 0xFFU] ^ (crc >> 8); };
  for (char c : type) add(static_cast<std::uint8_t>(c));
  for (std::uint8_t byte : data) add(byte);
  return crc ^ 0xFFFFFFFFU;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void PutChunk(std::vector<std::uint8_t>& file, std::string_view type,
              const std::vector<std::uint8_t>& data) {
  PutBigEndian(file, static_cast<std::uint32_t>(data.size()));
  file.insert(file.end(), type.begin(), type.end());
  file.insert(file.end(), data.begin(), data.end());
  PutBigEndian(file, Crc32(type, data));
}

// A zlib stream of stored blocks of at most 65,535 bytes each, with its Adler-32 checksum.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
  std::vector<std::uint8_t> out = {0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
    const bool last = offset + length == raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<std::uint8_t>(length));
    out.push_back(static_cast<std::uint8_t>(length >> 8));
    out.push_back(static_cast<std::uint8_t>(~length));
    out.push_back(static_cast<std::uint8_t>(~length >> 8));
    out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
               raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < raw.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521U;
    b = (b + a) % 65521U;
  }
  PutBigEndian(out, (b << 16) | a);
  return out;
}

}  // namespace

bool WritePng(const std::string& path, int width, int height,
              const std::vector<std::uint8_t>& rgb) {
  if (width <= 0 || height <= 0) return false;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  if (rgb.size() != row_bytes * static_cast<std::size_t>(height)) return false;

  std::vector<std::uint8_t> raw;
  raw.reserve((row_bytes + 1) * static_cast<std::size_t>(height));
  for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
    raw.push_back(0);  // filter type: none
    raw.insert(raw.end(), rgb.begin() + static_cast<std::ptrdiff_t>(row * row_bytes),
               rgb.begin() + static_cast<std::ptrdiff_t>((row + 1) * row_bytes));
  }

  std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
  PutChunk(file, "IHDR", header);
  PutChunk(file, "IDAT", StoredZlib(raw));
  PutChunk(file, "IEND", {});

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  return static_cast<bool>(out);
}

}  // namespace test_support
