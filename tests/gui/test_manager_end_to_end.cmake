# The whole console against the bundled server under Xvfb: the programs and
# pictures it copies must be built first.
target_link_libraries(${name} PRIVATE ostiva_test_support)
foreach(program ostiva-manager ostiviewer ostiva-server ostiva_state_pictures)
  if(TARGET ${program})
    add_dependencies(${name} ${program})
  endif()
endforeach()
# It starts its own X server (Xvfb), and its history window loads pages in
# the web engine: one such program at a time.
set(test_labels display)
set(test_properties RESOURCE_LOCK web_engine)
