#pragma once
// Decodes a baseline JPEG image with libjpeg into a bitmap.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace zq::ui {

// A top-down 24-bit DIB section with the image, or null when the bytes are
// not a JPEG image libjpeg can read. The caller owns the bitmap.
HBITMAP DecodeJpegBitmap(const uint8_t* data, size_t size);

// The RCDATA resource `id` of the running program decoded, or null when the
// program carries no such resource.
HBITMAP LoadJpegResource(int id);

}  // namespace zq::ui
