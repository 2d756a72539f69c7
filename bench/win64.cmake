# The benchmarks' Windows programs, built in the x86_64 tree (included from
# tests/win) and run by the bench/*/run.sh scripts; none of them is a test.
set(ZQ_BENCH_BIN ${CMAKE_BINARY_DIR}/bench/bin)

# Client throughput against a recv loop and WinHTTP (bench/http/run.sh).
add_executable(http_bench_client ${CMAKE_SOURCE_DIR}/bench/http/bench_client_win.cpp)
target_link_libraries(http_bench_client PRIVATE zq_win winhttp)
set_target_properties(http_bench_client PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZQ_BENCH_BIN})

# A whole update run against a reference of WinHTTP and SetupIterateCabinetA
# (bench/update/run.sh).
add_executable(bench_reference_update ${CMAKE_SOURCE_DIR}/bench/update/reference_update_win.cpp)
target_include_directories(bench_reference_update PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(bench_reference_update PRIVATE winhttp setupapi)
add_executable(bench_press_stamp ${CMAKE_SOURCE_DIR}/bench/update/press_stamp_win.cpp)
target_link_libraries(bench_press_stamp PRIVATE zq_uiauto)
set_target_properties(bench_reference_update bench_press_stamp PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZQ_BENCH_BIN})

# CPU per 100 MB with and without the progress window (bench/http/run.sh).
add_executable(http_bench_cpu ${CMAKE_SOURCE_DIR}/bench/http/bench_cpu_win.cpp ${ZQ_UI_RESOURCES})
target_include_directories(http_bench_cpu PRIVATE ${CMAKE_BINARY_DIR})
target_link_libraries(http_bench_cpu PRIVATE zq_win)
set_target_properties(http_bench_cpu PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${ZQ_BENCH_BIN})
