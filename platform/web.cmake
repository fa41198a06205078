# The browser build (Emscripten): SDL 1.2 over a canvas and Web Audio. The sdlweb*.cpp files
# supply what Emscripten's SDL lacks; these link options reach every program through the
# platform library.
#  ASYNCIFY       SDL_Delay (emscripten_sleep) hands control back to the browser, so the
#                 scenes keep their own frame loops.
#  MODULARIZE     each start makes a fresh instance, so the page can start the program again
#                 after it quit, with all of its state new.
set(K8_WEB_LINK_OPTIONS
  -sASYNCIFY
  -sMODULARIZE=1
  -sEXPORT_NAME=Kestrel8
  -sALLOW_MEMORY_GROWTH=1
  -sENVIRONMENT=web
  "SHELL:--pre-js ${CMAKE_CURRENT_SOURCE_DIR}/web/prejs.js")
target_link_options(k8platform INTERFACE ${K8_WEB_LINK_OPTIONS})
# A changed pre-js relinks the programs.
set_property(TARGET k8platform APPEND PROPERTY INTERFACE_LINK_DEPENDS
             $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/web/prejs.js>)
# The browser layer's JavaScript, as a library of the functions its C++ calls; a changed one
# relinks too.
target_link_options(k8platform INTERFACE
                    "SHELL:--js-library ${CMAKE_CURRENT_SOURCE_DIR}/web/library.js")
set_property(TARGET k8platform APPEND PROPERTY INTERFACE_LINK_DEPENDS
             $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/web/library.js>)
