#pragma once
// A callback with an opaque context pointer, called as callback(context, args).
namespace zq {

template <class... Args>
struct EventSlot {
  using Callback = void (*)(void* context, Args... args);
  Callback callback = nullptr;
  void* context = nullptr;

  void Set(Callback cb, void* ctx) {
    callback = cb;
    context = ctx;
  }
  void Clear() { Set(nullptr, nullptr); }
  bool IsSet() const { return callback != nullptr; }
  void operator()(Args... args) const {
    if (callback) callback(context, args...);
  }
};

}  // namespace zq
