# Crypto++ is the independent oracle of the primitives' differential tests.
target_link_libraries(${target} PRIVATE PkgConfig::CRYPTOPP)
