# The generators (font sheet, clips) run on the building machine. A cross build takes them from
# the host build tree named by K8_HOST_BUILD (the browser, Windows and tools/cross.sh builds
# make one) or, without one, builds them here with the building machine's own compiler, as a
# Debian cross build of the package needs: CXX_FOR_BUILD, or c++. The target's compiler flags
# in the environment (CXXFLAGS, LDFLAGS) are not the building machine's, so none are passed.
if(NOT CMAKE_CROSSCOMPILING OR K8_HOST_BUILD)
  return()
endif()
include(ExternalProject)
if(DEFINED ENV{CXX_FOR_BUILD})
  set(K8_BUILD_CXX_DEFAULT $ENV{CXX_FOR_BUILD})
else()
  set(K8_BUILD_CXX_DEFAULT c++)
endif()
set(K8_BUILD_CXX ${K8_BUILD_CXX_DEFAULT} CACHE STRING "the building machine's C++ compiler")
set(K8_HOST_BUILD ${PROJECT_BINARY_DIR}/host-generators)
ExternalProject_Add(k8generators
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/generators
  BINARY_DIR ${K8_HOST_BUILD}
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=${K8_BUILD_CXX} -DCMAKE_CXX_FLAGS=-O2
             -DCMAKE_EXE_LINKER_FLAGS= -DCMAKE_BUILD_TYPE= -DK8_SOURCE=${PROJECT_SOURCE_DIR}
             -DCMAKE_TOOLCHAIN_FILE=
  INSTALL_COMMAND ""
  BUILD_BYPRODUCTS ${K8_HOST_BUILD}/image/mkfont ${K8_HOST_BUILD}/audio/mkclips)
