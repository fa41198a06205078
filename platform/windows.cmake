# The Windows build (mingw-w64). The programs are GUI-subsystem programs (SDL's -mwindows), so
# that a double-click opens no console window; platform/windows/console.cpp gives them their
# starter's console when there is one, so that the module reporters still print where a
# console shows them. It is compiled into each program, not the library: nothing refers to it,
# so a linker would drop it from an archive.
target_sources(k8platform INTERFACE
  $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/windows/console.cpp>)
