# The key-exchange tests check the console against an independent RSA-OAEP
# implementation.
find_package(OpenSSL REQUIRED)
target_link_libraries(${target} PRIVATE OpenSSL::Crypto)
# Sockets used from two threads (also under ThreadSanitizer).
list(APPEND threaded_suites SocketIPv4Thread)
