# MinGW trees: win32 (the shipped i686 program) and win64 (what the tests run).
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86")
  set(ZQ_MANIFEST_ARCH X86)
  set(ZQ_TRIPLE i686-w64-mingw32)
else()
  set(ZQ_MANIFEST_ARCH amd64)
  set(ZQ_TRIPLE x86_64-w64-mingw32)
endif()
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
# Everything is linked statically: the program must start on a bare Windows.
add_link_options(-static -static-libgcc -static-libstdc++)
# Unreferenced functions are dropped. libsodium is built one section per
# function, and its memzero's object also holds sodium_malloc, which reaches
# sodium_init and from there every primitive it dispatches (Argon2, BLAKE2b,
# ChaCha20 ...): about 300 KB the program never calls.
add_link_options(-Wl,--gc-sections)

# zq_cross_built(TARGET NAME LIBRARY): NAME, cross-built from Debian's source
# package at configure time by scripts/build-NAME.sh into the tree's _deps,
# as the imported static library TARGET.
function(zq_cross_built target name library)
  set(prefix ${CMAKE_BINARY_DIR}/_deps/${name})
  execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-${name}.sh ${ZQ_TRIPLE} ${prefix} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${name} could not be cross-built for ${ZQ_TRIPLE}")
  endif()
  add_library(${target} STATIC IMPORTED)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${prefix}/lib/${library}
                        INTERFACE_INCLUDE_DIRECTORIES ${prefix}/include)
endfunction()

# libjpeg-turbo decodes the logo; libsodium gives Ed25519 and SHA-256 for
# signed sites.
zq_cross_built(zq_jpeg libjpeg libjpeg.a)
zq_cross_built(zq_sodium libsodium libsodium.a)
set_target_properties(zq_sodium PROPERTIES INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC=1
                      INTERFACE_LINK_LIBRARIES advapi32)
target_link_libraries(zq_core PUBLIC zq_sodium)

add_library(zq_win STATIC ${ZQ_WIN_SOURCES})
target_link_libraries(zq_win PUBLIC zq_core zq_jpeg ws2_32 comctl32 shell32
                      ole32 user32 gdi32 kernel32)

configure_file(${CMAKE_SOURCE_DIR}/res/SetupZQ.manifest.in ${CMAKE_BINARY_DIR}/SetupZQ.manifest @ONLY)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/SetupZQ.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/SetupZQ.manifest;${CMAKE_SOURCE_DIR}/res/logo.jpg")
include(${CMAKE_SOURCE_DIR}/cmake/site_keys.cmake)

# One setup program, with the site keys of the .pub files in `keys` (none:
# the unkeyed program, which never asks for a signature).
function(zq_add_setup_program target keys)
  set(gen ${CMAKE_BINARY_DIR}/generated/${target})
  zq_site_keys_header(${gen}/site_keys.h "${keys}")
  add_executable(${target} WIN32 ${CMAKE_SOURCE_DIR}/setup/winmain_win.cpp ${CMAKE_SOURCE_DIR}/res/SetupZQ.rc)
  target_include_directories(${target} PRIVATE ${gen} ${CMAKE_BINARY_DIR})
  target_link_libraries(${target} PRIVATE zq_win)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

# The shipped program: keyed only when the vendor gives its keys,
# -DZQ_SITE_KEYS=FILE[;FILE].
set(ZQ_SITE_KEYS "" CACHE STRING "Public key files (.pub) of the sites SetupZQ.exe accepts, at most two")
zq_add_setup_program(SetupZQ "${ZQ_SITE_KEYS}")

# For the whole runs and the demo, programs keyed with keys that the native
# zq-publish makes in this tree: SetupZQ-keyed.exe with test-keys/site-a and
# site-b, SetupZQ-demo.exe with test-keys/demo. Left out when the native tree
# is not built yet.
set(ZQ_NATIVE_PUBLISH ${CMAKE_SOURCE_DIR}/build/native/tools/publish/zq-publish CACHE FILEPATH
    "The native zq-publish, which makes the keys of SetupZQ-keyed.exe and SetupZQ-demo.exe")
function(zq_tree_key name out)
  set(key ${CMAKE_BINARY_DIR}/test-keys/${name})
  if(NOT EXISTS ${key}.pub)
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/test-keys)
    execute_process(COMMAND ${ZQ_NATIVE_PUBLISH} --new-key ${key} RESULT_VARIABLE rc OUTPUT_QUIET)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "could not make the key ${key}")
    endif()
  endif()
  set(${out} ${key}.pub PARENT_SCOPE)
endfunction()
if(EXISTS ${ZQ_NATIVE_PUBLISH})
  zq_tree_key(site-a key_a)
  zq_tree_key(site-b key_b)
  zq_tree_key(demo key_demo)
  zq_add_setup_program(SetupZQ-keyed "${key_a};${key_b}")
  zq_add_setup_program(SetupZQ-demo "${key_demo}")
else()
  message(STATUS "SetupZQ-keyed.exe and SetupZQ-demo.exe left out: no native zq-publish at ${ZQ_NATIVE_PUBLISH}")
endif()

file(GLOB tool_dirs CONFIGURE_DEPENDS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tools/*)
foreach(d IN LISTS tool_dirs)
  if(EXISTS ${d}/CMakeLists.txt)
    add_subdirectory(${d})
  endif()
endforeach()

# Windows tests run only in the x86_64 tree: this machine cannot execute i686 code.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "AMD64")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/scripts/wine-run --prefix ${CMAKE_BINARY_DIR}/wineprefix --)
  add_subdirectory(${CMAKE_SOURCE_DIR}/cmake/gtest ${CMAKE_BINARY_DIR}/_gtest)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/win ${CMAKE_BINARY_DIR}/tests/win)
endif()
