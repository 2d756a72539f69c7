#include "cabinet_maker.h"

#include <gio/gio.h>
#include <libgcab.h>

#include <memory>

#include "base/error.h"

namespace zq {
namespace {

struct ObjectUnref {
  void operator()(gpointer p) const { g_object_unref(p); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, ObjectUnref>;

struct BytesUnref {
  void operator()(GBytes* b) const { g_bytes_unref(b); }
};
struct DateTimeUnref {
  void operator()(GDateTime* d) const { g_date_time_unref(d); }
};

// Owns the GError that a gcab or GIO call reports.
class GErrorSlot {
 public:
  GErrorSlot() = default;
  GErrorSlot(const GErrorSlot&) = delete;
  GErrorSlot& operator=(const GErrorSlot&) = delete;
  ~GErrorSlot() {
    if (error_) g_error_free(error_);
  }
  GError** out() { return &error_; }
  [[noreturn]] void Raise(const std::string& what) const {
    throw Error(what + ": " + (error_ ? error_->message : "unknown libgcab error"));
  }

 private:
  GError* error_ = nullptr;
};

}  // namespace

std::vector<std::uint8_t> MakeCabinet(const std::string& name, std::span<const std::uint8_t> content,
                                      std::int64_t mtime_unix) {
  const std::string what = "can't make the cabinet of '" + name + "'";
  // The content outlives the cabinet, so gcab may read it in place.
  const std::unique_ptr<GBytes, BytesUnref> bytes(g_bytes_new_static(content.data(), content.size()));
  const GObjectPtr<GCabFile> file(gcab_file_new_with_bytes(name.c_str(), bytes.get()));
  const std::unique_ptr<GDateTime, DateTimeUnref> date(g_date_time_new_from_unix_utc(mtime_unix));
  if (date) gcab_file_set_date_time(file.get(), date.get());
  gcab_file_set_attributes(file.get(), GCAB_FILE_ATTRIBUTE_ARCH);

  const GObjectPtr<GCabFolder> folder(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
  GErrorSlot error;
  if (!gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, error.out())) error.Raise(what);
  const GObjectPtr<GCabCabinet> cabinet(gcab_cabinet_new());
  if (!gcab_cabinet_add_folder(cabinet.get(), folder.get(), error.out())) error.Raise(what);

  const GObjectPtr<GOutputStream> out(g_memory_output_stream_new_resizable());
  if (!gcab_cabinet_write_simple(cabinet.get(), out.get(), nullptr, nullptr, nullptr, error.out())) {
    error.Raise(what);
  }
  if (!g_output_stream_close(out.get(), nullptr, error.out())) error.Raise(what);
  auto* memory = G_MEMORY_OUTPUT_STREAM(out.get());
  const auto* data = static_cast<const std::uint8_t*>(g_memory_output_stream_get_data(memory));
  return {data, data + g_memory_output_stream_get_data_size(memory)};
}

}  // namespace zq
