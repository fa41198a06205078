# The Windows build (mingw-w64). The programs are GUI-subsystem programs (SDL's -mwindows), so
# that a double-click opens no console window; platform/windows/console.cpp gives them their
# starter's console when there is one, so that the module reporters still print where a
# console shows them. It is compiled into each program, not the library: nothing refers to it,
# so a linker would drop it from an archive.
target_sources(k8platform INTERFACE
  $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/windows/console.cpp>)

# SDL.dll beside the programs, as they are shipped: a copy of SDL's build (which keeps its
# symbols) stripped, with SOURCE_DATE_EPOCH=0 so that strip keeps the header's "no time stamp"
# and the same SDL gives the same bytes.
get_filename_component(K8_SDL_DLL ${SDL_INCLUDE_DIR}/../../bin/SDL.dll ABSOLUTE)
set(K8_SHIPPED_SDL_DLL ${PROJECT_BINARY_DIR}/demo/SDL.dll)
add_custom_command(OUTPUT ${K8_SHIPPED_SDL_DLL}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/demo
  COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=0
          ${K8_MINGW}-strip --strip-unneeded -o ${K8_SHIPPED_SDL_DLL} ${K8_SDL_DLL}
  DEPENDS ${K8_SDL_DLL}
  VERBATIM)
add_custom_target(sdl_dll ALL DEPENDS ${K8_SHIPPED_SDL_DLL})
