# The reference every frame comparison checks against: the desktop program's frame log for the
# shared key script (frames.keys), made by reference.sh. The other side of a comparison (the
# capture, the browser, Windows) runs the same keys with the same mask: K8_REFERENCE_ENV.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/frames.keys K8_REFERENCE_LINES REGEX "^[^#]")
list(JOIN K8_REFERENCE_LINES " " K8_REFERENCE_KEYS)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/frames.keys)
# Scene 2's panel shows the screen image's address (x < 64, rows 96 to 103), which no two
# processes share: it is left out of every hash.
set(K8_REFERENCE_MASK 0,96,64,8)
set(K8_REFERENCE_ENV "K8_FRAMELOG_KEYS=${K8_REFERENCE_KEYS}" "K8_FRAMELOG_MASK=${K8_REFERENCE_MASK}")
set(K8_REFERENCE_LOG ${CMAKE_BINARY_DIR}/tests/reference/desktop.txt)

# The fixture "reference": writes K8_REFERENCE_LOG. The desktop program is this build's own
# kestrel8-framelog; a build for another machine (the browser, Windows) builds it for this one,
# in the program preset's folder, first.
if(CMAKE_CROSSCOMPILING)
  add_test(NAME reference_desktop_build
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/reference.sh --build ${PROJECT_SOURCE_DIR})
  set_tests_properties(reference_desktop_build PROPERTIES
    LABELS reference FIXTURES_SETUP reference_desktop TIMEOUT 1200)
  set(K8_REFERENCE_PROGRAM ${PROJECT_SOURCE_DIR}/build-run/demo/kestrel8-framelog)
else()
  set(K8_REFERENCE_PROGRAM $<TARGET_FILE:kestrel8-framelog>)
endif()
add_test(NAME reference_frames
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/reference.sh ${K8_REFERENCE_PROGRAM} ${K8_REFERENCE_LOG})
set_tests_properties(reference_frames PROPERTIES
  LABELS reference FIXTURES_SETUP reference SKIP_RETURN_CODE 77 ENVIRONMENT "${K8_REFERENCE_ENV}")
if(CMAKE_CROSSCOMPILING)
  set_tests_properties(reference_frames PROPERTIES FIXTURES_REQUIRED reference_desktop)
endif()
