# The main window's code list: needs the Qt windows; runs offscreen.
if(TARGET ostiva_ui)
  target_link_libraries(${name} PRIVATE ostiva_ui)
endif()
target_compile_definitions(${name} PRIVATE OSTIVA_BINARY_DIR_FOR_BENCH="${CMAKE_BINARY_DIR}")
if(TARGET ostiva_state_pictures)
  add_dependencies(${name} ostiva_state_pictures)
endif()
