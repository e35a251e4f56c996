# The tests start the real server built beside them and read its JSON answers.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
# The session's senders and receive loop against the real server (also under
# ThreadSanitizer).
list(APPEND threaded_suites ConnectionFailure ReceiveLoopEnd SessionConcurrency)
# A login against a resolver that never answers runs in a private mount
# namespace of its own, so it is a program of its own (probe/).
add_executable(slow_lookup_probe ${CMAKE_CURRENT_LIST_DIR}/probe/SlowLookupProbe.cpp)
target_link_libraries(slow_lookup_probe PRIVATE ostiva_core)
add_dependencies(${target} slow_lookup_probe)
target_compile_definitions(${target} PRIVATE
  SLOW_LOOKUP_PROBE_PATH="$<TARGET_FILE:slow_lookup_probe>")
