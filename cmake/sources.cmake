# The four subsystem folders, and base/ for the vocabulary they share. A file whose name ends in _win.cpp uses the
# Win32 API and joins the Windows library; every other .cpp is portable and
# joins the core library, which all three trees build.
set(ZQ_AREAS base setup env ui http)
set(ZQ_CORE_SOURCES)
set(ZQ_WIN_SOURCES)
foreach(area IN LISTS ZQ_AREAS)
  file(GLOB area_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${area}/*.cpp)
  foreach(f IN LISTS area_sources)
    if(f MATCHES "_win\\.cpp$")
      list(APPEND ZQ_WIN_SOURCES ${f})
    else()
      list(APPEND ZQ_CORE_SOURCES ${f})
    endif()
  endforeach()
endforeach()
# The program's entry point is not part of any library.
list(REMOVE_ITEM ZQ_WIN_SOURCES ${CMAKE_SOURCE_DIR}/setup/winmain_win.cpp)

add_library(zq_core STATIC ${ZQ_CORE_SOURCES})
target_include_directories(zq_core PUBLIC ${CMAKE_SOURCE_DIR})
