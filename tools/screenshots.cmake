# screenshots: runs the demo headless and writes one picture of each scene (PPM); the
# script tools/screenshots.sh turns them into docs/scene1.png .. docs/scene4.png.
add_executable(screenshots ${CMAKE_CURRENT_SOURCE_DIR}/screenshots.cpp)
target_link_libraries(screenshots PRIVATE k8demo)
