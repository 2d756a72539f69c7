# Site keys compiled into a program. zq_site_keys_header(OUT KEYS) writes a
# header that defines zq::kSiteKeys from one or two .pub files made by
# zq-publish --new-key; with no files it defines none (the unkeyed program).
# The text of each file goes into the header as it is and is read by the
# program's own constexpr reader (setup/site_key.h) while compiling, so a
# file that isn't a key stops the build; here only its size and characters
# are checked, so that it can stand in a string literal.
function(zq_site_keys_header out keys)
  list(LENGTH keys count)
  if(count GREATER 2)
    message(FATAL_ERROR "ZQ_SITE_KEYS: at most two key files (the current one and the next), got ${count}")
  endif()
  set(entries "")
  foreach(pub IN LISTS keys)
    if(NOT IS_ABSOLUTE "${pub}")
      get_filename_component(pub "${pub}" ABSOLUTE BASE_DIR "${CMAKE_SOURCE_DIR}")
    endif()
    if(NOT EXISTS "${pub}")
      message(FATAL_ERROR "ZQ_SITE_KEYS: no such file: ${pub}")
    endif()
    file(SIZE "${pub}" size)
    file(READ "${pub}" text)
    if(size GREATER 200 OR NOT text MATCHES "^[A-Za-z0-9 \n]+$")
      message(FATAL_ERROR "ZQ_SITE_KEYS: ${pub} is not a public key file made by zq-publish --new-key")
    endif()
    string(REPLACE "\n" "\\n" literal "${text}")
    string(APPEND entries "    CompiledPublicKey(\"${literal}\"),  // ${pub}\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${pub}")
  endforeach()
  file(CONFIGURE OUTPUT "${out}" CONTENT "// Made by cmake/site_keys.cmake; the site keys this program accepts.
#pragma once
#include <array>

#include \"setup/site_key.h\"

namespace zq {
inline constexpr std::array<PublicKey, ${count}> kSiteKeys = {
${entries}};
}  // namespace zq
")
endfunction()
