# soundtrack: renders the music's loop through its events into a WAV file, for listening.
add_executable(soundtrack ${CMAKE_CURRENT_SOURCE_DIR}/soundtrack.cpp)
target_link_libraries(soundtrack PRIVATE k8audio k8shared)
