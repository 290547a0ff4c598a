# Helpers shared by every folder's CMakeLists.txt.

# Warnings as errors on our own code only.
function(ks_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      # GCC 12's flow warnings misfire inside inlined standard-library code
      # at -O2 and above; they stay visible but do not fail the build.
      target_compile_options(${target} PRIVATE
        $<$<NOT:$<CONFIG:Debug>>:-Wno-error=restrict -Wno-error=array-bounds -Wno-error=stringop-overflow -Wno-error=stringop-overread>)
    endif()
  endif()
endfunction()

# One static library per source folder, named after the folder. Sources are the
# folder's own .cpp files (not its subfolders); headers are reached as
# "folder/Name.h" from src/.
function(ks_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND sources ${ARG_SOURCES})
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    ks_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# One GoogleTest binary per test folder; each test case is a CTest test.
function(ks_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  ks_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()
