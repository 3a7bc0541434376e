# A cross build (Windows, the web) cannot run what it compiles, so it takes the asset tools from
# a host build: this file lists them (with the wine end-to-end driver, when the tests are built)
# in vorna-host-tools.cmake, and the target host_tools builds them.
set(VORNA_HOST_TOOLS mkfont mkaudio)
find_package(GTest QUIET)
if(BUILD_TESTING AND TARGET GTest::gtest_main)
  add_executable(wine_e2e EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/windows/wine_e2e.cpp
    ${CMAKE_SOURCE_DIR}/tests/support/x11_process.cpp)
  target_include_directories(wine_e2e PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR}
    ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(wine_e2e PRIVATE X11::X11 GTest::gtest_main vorna_warnings)
  list(APPEND VORNA_HOST_TOOLS wine_e2e)
endif()
export(TARGETS ${VORNA_HOST_TOOLS} FILE ${CMAKE_BINARY_DIR}/vorna-host-tools.cmake)
add_custom_target(host_tools)
add_dependencies(host_tools ${VORNA_HOST_TOOLS})
