# The demo path runs the programs it copies from bin/: build them first.
foreach(program ostiva-manager ostiviewer ostiva-server ostiva_state_pictures)
  if(TARGET ${program})
    add_dependencies(${name} ${program})
  endif()
endforeach()
# scripts/demo.sh on its own X server (Xvfb), its history window in the web
# engine: one such program at a time.
set(test_labels display)
set(test_properties RESOURCE_LOCK web_engine)
