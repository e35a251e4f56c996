# The login dialog signs in against the real bundled server.
target_link_libraries(${name} PRIVATE ostiva_test_support)
if(TARGET ostiva-server)
  add_dependencies(${name} ostiva-server)
endif()
