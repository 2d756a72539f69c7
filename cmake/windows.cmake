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

# libjpeg-turbo, cross-built from Debian's source package at configure time.
set(ZQ_JPEG_PREFIX ${CMAKE_BINARY_DIR}/_deps/libjpeg)
execute_process(COMMAND ${CMAKE_SOURCE_DIR}/scripts/build-libjpeg.sh ${ZQ_TRIPLE} ${ZQ_JPEG_PREFIX}
                RESULT_VARIABLE jpeg_rc)
if(NOT jpeg_rc EQUAL 0)
  message(FATAL_ERROR "libjpeg-turbo could not be cross-built for ${ZQ_TRIPLE}")
endif()
add_library(zq_jpeg STATIC IMPORTED)
set_target_properties(zq_jpeg PROPERTIES IMPORTED_LOCATION ${ZQ_JPEG_PREFIX}/lib/libjpeg.a
                      INTERFACE_INCLUDE_DIRECTORIES ${ZQ_JPEG_PREFIX}/include)

add_library(zq_win STATIC ${ZQ_WIN_SOURCES})
target_link_libraries(zq_win PUBLIC zq_core zq_jpeg ws2_32 comctl32 shell32
                      ole32 user32 gdi32 kernel32)

configure_file(${CMAKE_SOURCE_DIR}/res/SetupZQ.manifest.in ${CMAKE_BINARY_DIR}/SetupZQ.manifest @ONLY)
add_executable(SetupZQ WIN32 ${CMAKE_SOURCE_DIR}/setup/winmain_win.cpp ${CMAKE_SOURCE_DIR}/res/SetupZQ.rc)
target_include_directories(SetupZQ PRIVATE ${CMAKE_BINARY_DIR})
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/SetupZQ.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/SetupZQ.manifest;${CMAKE_SOURCE_DIR}/res/logo.jpg")
target_link_libraries(SetupZQ PRIVATE zq_win)
set_target_properties(SetupZQ PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

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
