# Builds each probe target: layering_probe_right_way must compile, every
# other probe must fail because its upward include is not found.
foreach(target ${PROBES})
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(target STREQUAL "layering_probe_right_way")
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "${target} should compile:\n${output}")
    endif()
  elseif(result EQUAL 0)
    message(FATAL_ERROR "${target} compiled: a layer reached a header above it")
  elseif(NOT output MATCHES "No such file or directory")
    message(FATAL_ERROR "${target} failed for another reason than the include:\n${output}")
  else()
    message(STATUS "${target}: refused as it should be")
  endif()
endforeach()
