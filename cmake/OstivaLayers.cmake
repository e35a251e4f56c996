# One library per layer of src/, each seeing only its own headers and those
# of the layers it links.
#
# Every source includes headers by their path below src/ ("session/Records.h"),
# so a plain -I src would let any file reach any layer. Instead each layer gets
# an include root of its own in the build tree that holds a single link,
# <root>/<layer> -> src/<layer>; a layer's root is PUBLIC, so it travels to the
# layers above it along target_link_libraries and nowhere else. A header
# included the wrong way (a session file including "ui/...") is then simply not
# found, and the build fails at that line.

set(OSTIVA_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

# ostiva_layer_root(<layer> <variable>): makes the include root of a layer
# folder and stores its path in <variable>.
function(ostiva_layer_root layer variable)
  set(root ${OSTIVA_LAYER_ROOTS}/${layer})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${layer})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${layer} ${root}/${layer} SYMBOLIC)
  endif()
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# ostiva_add_layer(<layer> [QT] [SOURCES files...] [DEPENDS targets...]
#                  [PRIVATE_DEPENDS targets...])
# Makes the static library ostiva_<layer> from the given sources (default:
# every .cpp in the calling folder).
function(ostiva_add_layer layer)
  cmake_parse_arguments(arg "QT" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  set(target ostiva_${layer})
  if(NOT arg_SOURCES)
    file(GLOB arg_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  endif()
  ostiva_layer_root(${layer} root)
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${arg_DEPENDS} PRIVATE ${arg_PRIVATE_DEPENDS})
  if(arg_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC ON AUTORCC ON)
  elseif(OSTIVA_LIBFUZZER)
    # Coverage and sanitizers in everything the fuzz targets call; the
    # fuzzer's own main is linked into the targets only.
    target_compile_options(${target} PRIVATE
      -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  endif()
endfunction()
