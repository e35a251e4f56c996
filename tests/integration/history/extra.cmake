# The tests start the real server built beside them and read its web pages
# with cpp-httplib's client.
add_dependencies(${target} ostiva-server)
target_link_libraries(${target} PRIVATE PkgConfig::HTTPLIB nlohmann_json::nlohmann_json)
