# Pointer mapping, picking, hold and fling, and the window menu: window-free tests
# of the driftmote_uicore library. Included from tests/CMakeLists.txt.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(driftmote_pointer_tests
  ${CMAKE_CURRENT_LIST_DIR}/PointerMathTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowMenuTest.cpp
)
target_link_libraries(driftmote_pointer_tests PRIVATE driftmote::uicore GTest::gtest_main)
gtest_discover_tests(driftmote_pointer_tests DISCOVERY_MODE PRE_TEST)
