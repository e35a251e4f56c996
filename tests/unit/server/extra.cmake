# The server's pieces, tested without starting the program.
target_link_libraries(${target} PRIVATE ostiva_server_lib nlohmann_json::nlohmann_json)
