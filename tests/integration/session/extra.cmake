# The tests start the real server built beside them and read its JSON answers.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
# The session's senders and receive loop against the real server (also under
# ThreadSanitizer).
list(APPEND threaded_suites ConnectionFailure ReceiveLoopEnd SessionConcurrency)
