# Native build: the logic and its unit tests, under ASan and UBSan.
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(vandrel_logic PUBLIC ${SANITIZE})
target_link_options(vandrel_logic PUBLIC ${SANITIZE})

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/support/*.cpp)
add_executable(unit_tests ${UNIT_SOURCES})
target_include_directories(unit_tests PRIVATE tests)
target_link_libraries(unit_tests PRIVATE vandrel_logic GTest::gtest GTest::gmock GTest::gtest_main)
gtest_discover_tests(unit_tests)

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS bench/native/*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_include_directories(${name} PRIVATE tests)
  target_link_libraries(${name} PRIVATE vandrel_logic)
endforeach()
