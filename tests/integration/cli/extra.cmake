# The tests run the real console, server and stand-in viewer built beside them.
add_dependencies(${target} ostiva-cli ostiva-server ostiviewer)
target_link_libraries(${target} PRIVATE nlohmann_json::nlohmann_json)
target_compile_definitions(${target} PRIVATE
  OSTIVA_CLI_PATH="$<TARGET_FILE:ostiva-cli>"
  OSTIVIEWER_PATH="$<TARGET_FILE:ostiviewer>")
