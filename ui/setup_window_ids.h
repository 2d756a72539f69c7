#pragma once
// Control identifiers of the setup window's child windows, for the window
// itself and for tools that read or press them.
namespace zq {

inline constexpr const char* kSetupWindowClass = "TfmSetupZQ";

enum SetupWindowId : int {
  kIdPaTop = 100,
  kIdIm1 = 101,
  kIdLaTitleOpe = 102,
  kIdLaSetup = 103,
  kIdPb = 104,
  kIdLaRest = 105,
  kIdPanel1 = 106,
  kIdBtCanc = 107,
  kIdBtDummy = 108,
};

}  // namespace zq
