# The server's pieces, tested without starting the program.
target_link_libraries(${target} PRIVATE ostiva_server_lib nlohmann_json::nlohmann_json)
# The code timeline's timers and the web server's threads (also under
# ThreadSanitizer).
list(APPEND threaded_suites CodeTimelineConcurrency WebServerThread)
