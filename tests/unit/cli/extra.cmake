# The command-line console's pieces live in the tool's own library.
target_link_libraries(${target} PRIVATE ostiva_cli_lib)
# The console's input thread and its consumer (also under ThreadSanitizer).
list(APPEND threaded_suites CliConsoleConcurrency LineReaderThread)
