# Adds each listed folder under BASE that has a CMakeLists.txt.
function(kelvora_add_subdirectories base)
  foreach(dir IN LISTS ARGN)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${base}/${dir}/CMakeLists.txt)
      add_subdirectory(${base}/${dir})
    endif()
  endforeach()
endfunction()

# One test binary per folder: kelvora_add_test(NAME SOURCES... LIBS ...)
function(kelvora_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE KELVORA_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/data"
                                             KELVORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

# Core libraries must stay free of Qt.
function(kelvora_core_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
endfunction()
