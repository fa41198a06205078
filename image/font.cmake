# The font's glyph sheet is generated at build time: mkfont checks the glyph pictures in
# glyphs.txt and writes fontsheet.cpp, which defines FONTSheetPBM (a raw PBM) for k8image.
if(CMAKE_CROSSCOMPILING)
  # A generator runs on the building machine: a cross build takes it from the host build tree
  # named by K8_HOST_BUILD, or from the one cmake/hostgenerators.cmake builds.
  add_executable(mkfont IMPORTED)
  set_target_properties(mkfont PROPERTIES IMPORTED_LOCATION ${K8_HOST_BUILD}/image/mkfont)
else()
  add_executable(mkfont ${PROJECT_SOURCE_DIR}/tools/mkfont.cpp)
endif()

add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/fontsheet.cpp
  COMMAND mkfont ${CMAKE_CURRENT_SOURCE_DIR}/glyphs.txt ${CMAKE_CURRENT_BINARY_DIR}/fontsheet.cpp
  DEPENDS mkfont ${CMAKE_CURRENT_SOURCE_DIR}/glyphs.txt
  COMMENT "Generating the font sheet from glyphs.txt"
  VERBATIM)
target_sources(k8image PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/fontsheet.cpp)
if(TARGET k8generators)  # built here for the building machine (cmake/hostgenerators.cmake)
  add_dependencies(k8image k8generators)
endif()
