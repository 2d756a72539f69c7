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
         ${env_out}/absoluto.cab
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/um.cab leiame.txt
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/dois.cab primeiro.txt segundo.txt
  COMMAND ${cab_tool} truncate ${env_out}/dois.cab ${env_out}/dano.cab -8
  COMMAND ${ZQ_GCAB} -c -z ${env_out}/zz.cab zz/fora.txt
  COMMAND ${cab_tool} rename ${env_out}/zz.cab ${env_out}/subida.cab zz/fora.txt ../fora.txt
  COMMAND ${cab_tool} rename ${env_out}/zz.cab ${env_out}/absoluto.cab zz/fora.txt C:/fora.txt
  WORKING_DIRECTORY ${cab_src}
  DEPENDS ${cab_src}/leiame.txt ${cab_src}/primeiro.txt ${cab_src}/segundo.txt ${cab_src}/zz/fora.txt
          ${env_src}/cab_tool.py
  COMMENT "Cabinet fixtures")
add_custom_target(env_fx_cabinets DEPENDS ${env_out}/um.cab ${env_out}/dois.cab ${env_out}/dano.cab
                  ${env_out}/subida.cab ${env_out}/absoluto.cab)
list(APPEND env_fixture_targets env_fx_cabinets)

foreach(t env_version_test env_processes_test env_folders_test env_cabinet_test env_local_files_test)
  if(TARGET ${t})
    add_dependencies(${t} ${env_fixture_targets})
  endif()
endforeach()
