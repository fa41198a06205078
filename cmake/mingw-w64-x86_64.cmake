# Cross-compiling KESTREL8 for 64-bit Windows with Debian's mingw-w64 (posix threads flavour):
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DK8_HOST_BUILD=<host tree>
#         -DSDL_INCLUDE_DIR=<sdl>/include/SDL -DSDL_LIBRARY_TEMP=<sdl>/lib/libSDL.dll.a
#         -DSDLMAIN_LIBRARY=<sdl>/lib/libSDLmain.a
# tools/windows.sh does all of this. The generators (font sheet, clips) come from the host
# tree, as in the browser build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(K8_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${K8_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${K8_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${K8_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${K8_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# -static: the C and C++ runtimes and winpthread linked in, so that a program needs no DLL but
# SDL.dll and Windows' own. Stripped, and without the link's time stamp in the header, so that
# the same sources give the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -s -Wl,--no-insert-timestamp")
