# The music's eight instrument clips are synthesised at build time by mkclips from its
# readable instrument table; the generated clips.cpp defines MUSICClipTable.
add_executable(mkclips ${PROJECT_SOURCE_DIR}/tools/mkclips.cpp)
target_include_directories(mkclips PRIVATE ${PROJECT_SOURCE_DIR})

add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp
  COMMAND mkclips ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp
  DEPENDS mkclips
  COMMENT "Synthesising the music's instrument clips"
  VERBATIM)
target_sources(k8audio PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/clips.cpp)
