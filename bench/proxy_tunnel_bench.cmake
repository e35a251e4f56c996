# The peers' ports and credentials come from the test-services file, read by
# the tests' TestServices helper (built in here, so the benchmark does not
# need the test targets).
target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support/TestServices.cpp)
target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(${name} PRIVATE OSTIVA_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
