# The allocation-failure sweep (tools/failalloc.sh): a preloaded shim that fails one chosen
# allocation, and a workload that runs every allocating module operation once. The shim is
# built without sanitizers whatever the build uses: it sits in front of the allocator (or the
# leak checker's) and must not carry one of its own. Preloading is a glibc matter: Linux only.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()
add_library(k8failalloc SHARED ${CMAKE_CURRENT_SOURCE_DIR}/failalloc.cpp)
target_include_directories(k8failalloc PRIVATE ${SDL_INCLUDE_DIR})
target_link_libraries(k8failalloc PRIVATE ${CMAKE_DL_LIBS})
set_property(TARGET k8failalloc PROPERTY COMPILE_OPTIONS -Wall -Wextra)
set_property(TARGET k8failalloc PROPERTY LINK_OPTIONS "")

add_executable(failalloc_workload ${CMAKE_CURRENT_SOURCE_DIR}/failalloc_workload.cpp)
target_link_libraries(failalloc_workload PRIVATE k8image k8bytemap k8audio k8shared)
