# The server's reading of console records lives in the server's library.
target_link_libraries(${name} PRIVATE ostiva_server_lib)
if(OSTIVA_LIBFUZZER)
  # Coverage and sanitizers in the server's code the target calls, as in
  # the core's.
  target_compile_options(ostiva_server_lib PRIVATE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
endif()
