# The tests start the stand-in viewer built beside them, and read its PNGs.
find_package(ZLIB REQUIRED)
add_dependencies(${target} ostiviewer)
target_link_libraries(${target} PRIVATE ZLIB::ZLIB nlohmann_json::nlohmann_json)
target_compile_definitions(${target} PRIVATE OSTIVIEWER_PATH="$<TARGET_FILE:ostiviewer>")
# The viewer launched and watched from the console's threads (also under
# ThreadSanitizer).
list(APPEND threaded_suites ViewerProgram)
