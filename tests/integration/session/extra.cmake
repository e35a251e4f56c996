# The tests start the real server built beside them and read its JSON answers.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
