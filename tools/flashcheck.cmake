# flashcheck: measures a capture's frames for flashing (WCAG 2.x general and red flashes). The
# measurement is a library of its own, so that its tests drive it on made-up frames. It reads
# the folders the Linux capture program writes, and is built where that is.
if(WIN32 OR EMSCRIPTEN)
  return()
endif()
add_library(k8flash STATIC ${CMAKE_CURRENT_SOURCE_DIR}/flash.cpp)
target_include_directories(k8flash PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(k8flash PUBLIC k8image)
add_executable(flashcheck ${CMAKE_CURRENT_SOURCE_DIR}/flashcheck.cpp)
target_link_libraries(flashcheck PRIVATE k8flash)
