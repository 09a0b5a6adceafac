# Warnings, sanitizers and the helpers every subsystem folder uses.

add_compile_options(-Wall -Wextra)
if(J4_WERROR)
  add_compile_options(-Werror)
endif()

if(J4_SANITIZE)
  string(REPLACE "," ";" _j4_sanitizers "${J4_SANITIZE}")
  foreach(s IN LISTS _j4_sanitizers)
    add_compile_options(-fsanitize=${s})
    add_link_options(-fsanitize=${s})
  endforeach()
  add_compile_options(-fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()

# j4_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2)
# One GoogleTest executable; its cases are registered with CTest one by one.
# Every test process gets a private settings root so no test touches a real home.
function(j4_add_test name)
  if(NOT J4_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock Threads::Threads)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "J4_SETTINGS_ROOT=${CMAKE_BINARY_DIR}/test-settings/${name}")
endfunction()

find_package(Threads REQUIRED)

# j4_add_bench(NAME SOURCES bench/x.cpp LIBS lib1) - a Google Benchmark program, built
# only with -DJ4_BUILD_BENCH=ON and run by hand (never by CTest). Sources live in bench/.
function(j4_add_bench name)
  if(NOT J4_BUILD_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS} benchmark::benchmark_main Threads::Threads)
endfunction()
