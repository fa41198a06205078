# screenshots: runs the demo headless and writes one picture of each scene (PPM); the
# script tools/screenshots.sh turns them into docs/scene1.png .. docs/scene4.png.
# It makes the README's pictures on the building machine, so a Windows build leaves it out.
if(WIN32)
  return()
endif()
add_executable(screenshots ${CMAKE_CURRENT_SOURCE_DIR}/screenshots.cpp)
target_link_libraries(screenshots PRIVATE k8demo)
