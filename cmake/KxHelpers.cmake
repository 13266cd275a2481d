# Shared compile settings for every Kestrafix target.
add_library(kx_warnings INTERFACE)
target_compile_options(kx_warnings INTERFACE -Wall -Wextra -Wpedantic -Wshadow)
if(KX_WERROR)
  target_compile_options(kx_warnings INTERFACE -Werror)
endif()
if(KX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# kx_add_library(name SOURCES ... DEPS ...): one static, position-independent library per layer.
function(kx_add_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_library(kx_${name} STATIC ${A_SOURCES})
  target_include_directories(kx_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_link_libraries(kx_${name} PUBLIC ${A_DEPS} PRIVATE kx_warnings)
  set_target_properties(kx_${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

# kx_add_test(name SOURCES ... LIBS ... [ENGINES]): a GoogleTest program whose cases CTest lists one
# by one. With ENGINES its cases on the PostgreSQL server ("*/Postgres") run as one more test, the
# whole program at once, so one server serves them; it counts as skipped when there is no server.
function(kx_add_test name)
  cmake_parse_arguments(A "QT;ENGINES" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} kx_test_support GTest::gtest GTest::gmock kx_warnings)
  if(A_QT)
    target_link_libraries(${name} PRIVATE kx_test_qt_main Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(filter "")
  if(A_ENGINES)
    set(filter TEST_FILTER "-*/Postgres")
    add_test(NAME ${name}_postgres COMMAND ${name} --gtest_filter=*/Postgres)
    set_tests_properties(${name}_postgres PROPERTIES TIMEOUT 900 SKIP_REGULAR_EXPRESSION "PostgreSQL tests skipped"
                                                     ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST ${filter}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endfunction()
