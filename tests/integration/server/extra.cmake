# The tests start the real server and speak to it byte by byte.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json SQLite::SQLite3)
