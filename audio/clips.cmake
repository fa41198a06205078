# The music's eight instrument clips are synthesised at build time by mkclips from its
# readable instrument table; the generated clips.cpp defines MUSICClipTable.
if(CMAKE_CROSSCOMPILING)
  # Run on the building machine: taken from the host build tree, as the font's generator is.
  add_executable(mkclips IMPORTED)
  set_target_properties(mkclips PROPERTIES IMPORTED_LOCATION ${K8_HOST_BUILD}/audio/mkclips)
else()
  add_executable(mkclips ${PROJECT_SOURCE_DIR}/tools/mkclips.cpp)
  target_include_directories(mkclips PRIVATE ${PROJECT_SOURCE_DIR})
endif()

add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp
  COMMAND mkclips ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp
  DEPENDS mkclips
  COMMENT "Synthesising the music's instrument clips"
  VERBATIM)
target_sources(k8audio PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp)
if(TARGET k8generators)  # built here for the building machine (cmake/hostgenerators.cmake)
  add_dependencies(k8audio k8generators)
endif()
