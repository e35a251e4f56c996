# The login faults run against the real server built beside the tests and
# reuse the session tests' console fixture (which reads the server's JSON
# answers).
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
# The settings file written from several threads (also under ThreadSanitizer).
list(APPEND threaded_suites SettingsFileFaultsConcurrency)
