#include "ui/jpeg_decode_win.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

// jpeglib.h needs FILE and size_t first; it defines its own `boolean`, which
// the lean Windows headers do not.
#include <jpeglib.h>

namespace zq::ui {

namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void NoOutput(j_common_ptr) {}

// Decodes into packed RGB rows; only plain C objects live between setjmp and
// a possible longjmp, so nothing needs unwinding.
bool DecodeRgb(const uint8_t* data, size_t size, int& width, int& height, std::vector<uint8_t>& rgb) {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnJpegError;
  errors.base.output_message = NoOutput;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  width = static_cast<int>(cinfo.output_width);
  height = static_cast<int>(cinfo.output_height);
  const size_t stride = static_cast<size_t>(width) * 3;
  rgb.resize(stride * static_cast<size_t>(height));
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = rgb.data() + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

HBITMAP DecodeJpegBitmap(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  if (!DecodeRgb(data, size, width, height, rgb) || width <= 0 || height <= 0) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return bitmap;
  const size_t src_stride = static_cast<size_t>(width) * 3;
  const size_t dst_stride = (src_stride + 3) & ~static_cast<size_t>(3);  // DIB rows are DWORD aligned
  auto* dst = static_cast<uint8_t*>(bits);
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = rgb.data() + src_stride * static_cast<size_t>(y);
    uint8_t* d = dst + dst_stride * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {  // RGB to the DIB's BGR
      d[3 * x + 0] = s[3 * x + 2];
      d[3 * x + 1] = s[3 * x + 1];
      d[3 * x + 2] = s[3 * x + 0];
    }
  }
  GdiFlush();
  return bitmap;
}

HBITMAP LoadJpegResource(int id) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return nullptr;
  return DecodeJpegBitmap(static_cast<const uint8_t*>(data), size);
}

}  // namespace zq::ui
