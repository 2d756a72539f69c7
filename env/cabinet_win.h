#pragma once
// Unpacks a downloaded cabinet into the installation folder.
#include <string>

namespace zq {

// Extracts every file of folder + cabName into the folder (each to the folder
// followed by its own name in the cabinet) and gives the path of the last
// one extracted. A failed attempt is repeated up to three times after a 2 s
// pause. Every error comes out as "Arquivo: <folder><cabName> => <target>
// \r\r<message>". A folder or target path beyond 259 characters and a name
// in the cabinet that could leave the folder are refused; nothing is then
// written for that file.
std::string ExtractCabinet(const std::string& folder, const std::string& cabName);

}  // namespace zq
