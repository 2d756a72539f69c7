# Fixtures of the local-environment tests, made at build time from the text
# sources in fixtures/ into tests/bin/env_fixtures/ beside the test programs:
# DLLs with and without version resources, cabinets made by gcab (and two
# rewritten from gcab's output), and a stand-in DeskZQ.exe of a known version.
set(env_src ${CMAKE_CURRENT_SOURCE_DIR}/fixtures)
set(env_out ${CMAKE_BINARY_DIR}/tests/bin/env_fixtures)
file(MAKE_DIRECTORY ${env_out})

set(env_fixture_targets)
foreach(v version_en version_pt version_both version_commas version_other_tables version_none)
  if(v STREQUAL "version_none")
    add_library(env_fx_${v} SHARED ${env_src}/fixture_dll.c)
  else()
    add_library(env_fx_${v} SHARED ${env_src}/fixture_dll.c ${env_src}/${v}.rc)
  endif()
  set_target_properties(env_fx_${v} PROPERTIES PREFIX "" OUTPUT_NAME ${v}
                        RUNTIME_OUTPUT_DIRECTORY ${env_out})
  list(APPEND env_fixture_targets env_fx_${v})
endforeach()

zq_add_deskzq(TARGET env_fx_deskzq VERSION "1.0.0.7" OUTPUT_DIRECTORY ${env_out})
list(APPEND env_fixture_targets env_fx_deskzq)

find_program(ZQ_GCAB gcab REQUIRED)
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(cab_src ${env_src}/cab)
set(cab_tool ${Python3_EXECUTABLE} ${env_src}/cab_tool.py)
add_custom_command(
  OUTPUT ${env_out}/um.cab ${env_out}/dois.cab ${env_out}/dano.cab ${env_out}/subida.cab
         ${env_out}/absoluto.cab ${env_out}/endereco.cab ${env_out}/proprio.cab ${env_out}/fixo.cab
         ${env_out}/partes.cab
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/um.cab leiame.txt
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/dois.cab primeiro.txt segundo.txt
  COMMAND ${cab_tool} truncate ${env_out}/dois.cab ${env_out}/dano.cab -8
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/zz.cab zz/fora.txt
  COMMAND ${cab_tool} rename ${env_out}/zz.cab ${env_out}/subida.cab zz/fora.txt ../fora.txt
  COMMAND ${cab_tool} rename ${env_out}/zz.cab ${env_out}/absoluto.cab zz/fora.txt C:/fora.txt
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/endereco.cab SRVADDR
  COMMAND ${cab_tool} rename ${env_out}/zz.cab ${env_out}/proprio.cab zz/fora.txt SetupZQ.exe
  COMMAND ${cab_tool} rename ${env_out}/dois.cab ${env_out}/fixo.cab primeiro.txt BemaFI32.dll
  COMMAND ${cab_tool} flags ${env_out}/um.cab ${env_out}/partes.cab 2
  WORKING_DIRECTORY ${cab_src}
  DEPENDS ${cab_src}/leiame.txt ${cab_src}/primeiro.txt ${cab_src}/segundo.txt ${cab_src}/zz/fora.txt
          ${cab_src}/SRVADDR
          ${env_src}/cab_tool.py
  COMMENT "Cabinet fixtures")
add_custom_target(env_fx_cabinets DEPENDS ${env_out}/um.cab ${env_out}/dois.cab ${env_out}/dano.cab
                  ${env_out}/subida.cab ${env_out}/absoluto.cab ${env_out}/endereco.cab
                  ${env_out}/proprio.cab ${env_out}/fixo.cab ${env_out}/partes.cab)
list(APPEND env_fixture_targets env_fx_cabinets)

foreach(t env_version_test env_processes_test env_folders_test env_cabinet_test env_local_files_test)
  if(TARGET ${t})
    add_dependencies(${t} ${env_fixture_targets})
  endif()
endforeach()

# The publishing tool's version reader against the program's, file by file.
add_executable(version_probe ${CMAKE_CURRENT_SOURCE_DIR}/version_probe_main_win.cpp)
target_link_libraries(version_probe PRIVATE zq_win)
set_target_properties(version_probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
add_dependencies(version_probe ${env_fixture_targets})
set(publish_fixtures ${CMAKE_SOURCE_DIR}/build/native/tools/publish/tests/fixtures)
set(crosscheck_files)
foreach(stem both commas en fallback lower_case no_file_version none other_table pt semicolon unmappable)
  list(APPEND crosscheck_files ${publish_fixtures}/${stem}_pe32.dll ${publish_fixtures}/${stem}_pe64.dll)
endforeach()
foreach(stem both commas en none other_tables pt)
  list(APPEND crosscheck_files ${env_out}/version_${stem}.dll)
endforeach()
list(APPEND crosscheck_files ${env_out}/DeskZQ.exe ${CMAKE_BINARY_DIR}/bin/SetupZQ.exe
     ${CMAKE_SOURCE_DIR}/build/win32/bin/SetupZQ.exe)
add_test(NAME FileVersion.PublishingToolAndProgramReadTheSame
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/version_crosscheck.sh
                 ${CMAKE_SOURCE_DIR}/build/native/tools/publish/zq-publish $<TARGET_FILE:version_probe>
                 ${CMAKE_BINARY_DIR}/wineprefix ${crosscheck_files})
set_tests_properties(FileVersion.PublishingToolAndProgramReadTheSame PROPERTIES LABELS win TIMEOUT 120)
