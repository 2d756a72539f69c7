# Whole runs of SetupZQ.exe under wine64 against nginx (and squid), each a
# bash script in tests/e2e. They share one desktop of their own prefix, so
# they run one at a time.
file(GLOB e2e_scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_run.sh)
zq_add_deskzq(TARGET e2e_deskzq_v2 VERSION "1.0.0.2")
foreach(script IN LISTS e2e_scripts)
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME e2e.${name} COMMAND bash ${script})
  # 77: the run can't be made on this machine (it says why).
  set_tests_properties(e2e.${name} PROPERTIES LABELS e2e TIMEOUT 600 RESOURCE_LOCK e2e_desktop SKIP_RETURN_CODE 77
    ENVIRONMENT "E2E_WIN=${CMAKE_BINARY_DIR};E2E_NATIVE=${CMAKE_SOURCE_DIR}/build/native")
endforeach()

# The shipped i686 program, built by the win32 tree, checked as a file: its
# format, its manifest and its version resource.
add_test(NAME shipped.win32_program
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/shipped_program.sh ${CMAKE_SOURCE_DIR}/build/win32/bin/SetupZQ.exe)
set_tests_properties(shipped.win32_program PROPERTIES LABELS win32)
