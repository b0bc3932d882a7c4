# The module ZorvelDicom.so (loadable in-process server: no "lib" prefix, exports only the two
# class-object functions) and the pure slide arithmetic it is built on, kept testable on its own.
add_library(ZorvelDicomSlideLogic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/Slide/ZoomLevelWalks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/Slide/FocusPlanes.cpp)
target_include_directories(ZorvelDicomSlideLogic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(ZorvelDicomSlideLogic PUBLIC Zorvel::Platform)
