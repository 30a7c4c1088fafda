# GoogleTest from Debian's source, built with the MinGW toolchain.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  target_compile_options(${t} PRIVATE -Wno-error)
endforeach()

# The stand-in Winamp: a test fixture and the demo's player.
file(GLOB STANDIN_SOURCES CONFIGURE_DEPENDS tools/standin/*.cpp)
add_executable(winamp_standin WIN32 ${STANDIN_SOURCES})
target_include_directories(winamp_standin PRIVATE tools/standin)
target_link_libraries(winamp_standin PRIVATE user32 gdi32 kernel32 comctl32)
target_link_options(winamp_standin PRIVATE ${STATIC_RUNTIME})

# A plug-in that subclasses the main window like many real ones (the tests
# load it before or after ours).
add_library(gen_subclass SHARED tools/subclass_plugin/gen_subclass.cpp)
set_target_properties(gen_subclass PROPERTIES PREFIX "")
target_link_options(gen_subclass PRIVATE ${STATIC_RUNTIME})

# Helpers shared by the Windows test programs.
file(GLOB WIN_SUPPORT_SOURCES CONFIGURE_DEPENDS tests/support/win/*.cpp)
add_library(win_test_support STATIC ${WIN_SUPPORT_SOURCES} tests/support/win/dummy.cpp)
target_include_directories(win_test_support PUBLIC tests src ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(win_test_support PUBLIC vandrel_win32 gtest gmock user32 kernel32 ole32 oleaut32 uuid)

# One program per file: tests/win/*_test.cpp (the platform under Wine) and
# tests/e2e/*_test.cpp (the whole chain with the stand-in).
file(GLOB WIN_TESTS CONFIGURE_DEPENDS tests/win/*_test.cpp tests/e2e/*_test.cpp)
foreach(src ${WIN_TESTS})
  get_filename_component(name ${src} NAME_WE)
  get_filename_component(dir ${src} DIRECTORY)
  get_filename_component(kind ${dir} NAME)
  set(exe ${kind}_${name})
  add_executable(${exe} ${src})
  target_link_libraries(${exe} PRIVATE win_test_support gtest_main)
  target_link_options(${exe} PRIVATE ${STATIC_RUNTIME})
  if(kind STREQUAL "e2e")
    add_dependencies(${exe} vandrel gen_vandrel winamp_standin gen_subclass)
  endif()
  add_test(NAME ${exe} COMMAND ${exe})
  set_tests_properties(${exe} PROPERTIES TIMEOUT 120)
endforeach()

# Helper programs used by tests and the demo (one file each).
file(GLOB TOOL_SOURCES CONFIGURE_DEPENDS tools/*.cpp)
foreach(src ${TOOL_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE src tests ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(${name} PRIVATE win_test_support)
  target_link_options(${name} PRIVATE ${STATIC_RUNTIME})
endforeach()
