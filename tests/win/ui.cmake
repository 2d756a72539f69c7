# The window tests: their programs carry the manifest (task dialogs need
# Common Controls 6) and the logo, use uiauto's window reader, and start the
# uihost helper (also as uihost_vista.exe, which they run as Windows Vista).
set_source_files_properties(${ZQ_UI_RESOURCES} PROPERTIES
  OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/SetupZQ.manifest;${CMAKE_SOURCE_DIR}/res/logo.jpg")
foreach(t ui_window_test ui_prompts_test ui_progress_test)
  if(TARGET ${t})
    target_sources(${t} PRIVATE ${ZQ_UI_RESOURCES})
    target_include_directories(${t} PRIVATE ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${t} PRIVATE zq_uiauto)
    add_dependencies(${t} uihost uiauto)
  endif()
endforeach()
