# Cross-compiling KESTREL8 for another Debian architecture with Debian's cross compilers, against
# a folder holding that architecture's libraries (a root unpacked by mmdebstrap), the tests run
# under qemu's user-mode emulator:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/linux-cross.cmake -DK8_CROSS_TRIPLET=s390x-linux-gnu
#         -DK8_CROSS_SYSROOT=<root> -DK8_HOST_BUILD=<host tree>
# tools/cross.sh does all of this. The generators (font sheet, clips) come from the host tree.
set(CMAKE_SYSTEM_NAME Linux)
# Try-compiles read this file again in a project of their own: they get the settings from there.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES K8_CROSS_TRIPLET K8_CROSS_SYSROOT)
if(NOT K8_CROSS_TRIPLET OR NOT K8_CROSS_SYSROOT)
  message(FATAL_ERROR "linux-cross.cmake needs K8_CROSS_TRIPLET and K8_CROSS_SYSROOT")
endif()
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR "${K8_CROSS_TRIPLET}")
set(CMAKE_C_COMPILER ${K8_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${K8_CROSS_TRIPLET}-g++)
set(CMAKE_SYSROOT ${K8_CROSS_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# ctest starts every test program through the emulator, with the root's loader and libraries.
# (A program that starts itself again, as the death tests do, goes through binfmt_misc, which
# then needs QEMU_LD_PREFIX in the environment.)
set(K8_QEMU_ARCH ${CMAKE_SYSTEM_PROCESSOR})
if(K8_QEMU_ARCH MATCHES "^arm")
  set(K8_QEMU_ARCH arm)
endif()
# Debian 12 names the emulators qemu-ARCH-static; Debian 13's qemu-user names them qemu-ARCH.
find_program(K8_QEMU NAMES qemu-${K8_QEMU_ARCH}-static qemu-${K8_QEMU_ARCH} NO_CMAKE_FIND_ROOT_PATH)
if(K8_QEMU)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${K8_QEMU};-L;${K8_CROSS_SYSROOT})
endif()
