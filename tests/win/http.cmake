# The HTTP client's Windows tests against real servers: nginx (origin) and
# squid (proxy), started by a CTest fixture and stopped by pid.
set(ZQ_HTTP_SERVERS_DIR ${CMAKE_BINARY_DIR}/tests/http_servers)
add_test(NAME http_servers_start
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/http_servers/start.sh ${ZQ_HTTP_SERVERS_DIR})
add_test(NAME http_servers_stop
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/http_servers/stop.sh ${ZQ_HTTP_SERVERS_DIR})
set_tests_properties(http_servers_start PROPERTIES FIXTURES_SETUP zq_http_servers LABELS win)
set_tests_properties(http_servers_stop PROPERTIES FIXTURES_CLEANUP zq_http_servers LABELS win)
target_compile_definitions(http_servers_test PRIVATE ZQ_HTTP_SERVERS_DIR="Z:${ZQ_HTTP_SERVERS_DIR}")

# The server tests are discovered when CTest runs; this file, read after the
# discovery, ties them to the fixture.
set(zq_http_fixture_file ${CMAKE_CURRENT_BINARY_DIR}/http_servers_fixture.cmake)
file(WRITE ${zq_http_fixture_file}
     "foreach(t HttpServersWin.NginxDirect HttpServersWin.NginxChunkedAndReuse HttpServersWin.ThroughSquid)\n"
     "  set_tests_properties(\${t} PROPERTIES FIXTURES_REQUIRED zq_http_servers RESOURCE_LOCK zq_http_servers)\n"
     "endforeach()\n")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${zq_http_fixture_file})

# The benchmarks' programs (not tests).
include(${CMAKE_SOURCE_DIR}/bench/win64.cmake)
