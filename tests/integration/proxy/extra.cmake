# The login tests start the real server built beside them and reuse the
# session tests' console fixture (which reads the server's JSON answers);
# the detection tests need to know whether libproxy is built in.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
if(LIBPROXY_FOUND)
  target_compile_definitions(${target} PRIVATE OSTIVA_HAVE_LIBPROXY=1)
endif()
# The login and tunnel tests talk to the loopback proxies: the fixture starts
# them (and stops what it started) when these tests run.
set(test_properties FIXTURES_REQUIRED test_peers)
