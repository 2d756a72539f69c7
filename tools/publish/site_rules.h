#pragma once
// The rules a published site must keep so that SetupZQ reads it correctly:
// product names, cabinet names, the manifest order and its text. The rules
// the program checks come from its own site contract, so that a site
// published here is never refused by the program.
#include <cstdint>
#include <string>
#include <vector>

#include "setup/site_contract.h"

namespace zq {

// Raises zq::Error unless `name` is a plain Windows file name that fits a
// manifest line and that SetupZQ accepts: printable ASCII, none of
// ; = \ / : * ? " < > |, not ending in a dot or blank, not a device name
// (CON, NUL, COM1, CONIN$, ...), not a file SetupZQ writes itself (SRVADDR),
// and SetupZQ.exe spelled exactly so.
void CheckProductName(const std::string& name);

// A request path of the site contract as a path inside the output folder:
// "/BinZQ/" gives "BinZQ/".
std::string SitePath(const char* requestPath);

// Raises zq::Error when two names are equal without regard to case, two
// names share a cabinet name, or a cabinet name is a product file's name
// (the download would be saved over that file).
void CheckNameCollisions(const std::vector<std::string>& names);

// Default manifest order: byte order of the names, then DeskZQ.exe, then
// SetupZQ.exe (both matched without regard to case).
std::vector<std::string> DefaultManifestOrder(std::vector<std::string> names);

// The order an order file gives: one name a line (LF or CR LF), blank lines
// and lines starting with "#" skipped. Every name must be one of `names`
// and each of `names` must appear exactly once.
std::vector<std::string> ManifestOrderFromText(const std::string& text,
                                               const std::vector<std::string>& names);

// Raises zq::Error when the version text can't stand in a manifest line.
void CheckVersionText(const std::string& name, const std::string& version);

struct ManifestLine {
  std::string name;
  std::string version;
  std::uint64_t size;
};

// name=version;size lines, each ended by CR LF.
std::string ManifestText(const std::vector<ManifestLine>& lines);

// A name shown in a message, with bytes outside printable ASCII escaped.
std::string Printable(const std::string& text);

}  // namespace zq
