# The demo path runs the programs it copies from bin/: build them first.
foreach(program ostiva-manager ostiviewer ostiva-server ostiva_state_pictures)
  if(TARGET ${program})
    add_dependencies(${name} ${program})
  endif()
endforeach()
