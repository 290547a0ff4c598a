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
# "folder/Name.h" from src/. SHARED: a shared library named ks_<name> (the
# simulated machine, so a program and the modules it loads share one machine).
# Static libraries are position independent so a loadable module can link them.
function(ks_library name)
  cmake_parse_arguments(ARG "SHARED" "" "DEPS;SOURCES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(APPEND sources ${ARG_SOURCES})
  if(sources AND ARG_SHARED)
    add_library(${name} SHARED ${sources})
    set_target_properties(${name} PROPERTIES OUTPUT_NAME ks_${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    ks_warnings(${name})
  elseif(sources)
    add_library(${name} STATIC ${sources})
    set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
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
# HOST_ONLY: file patterns of the folder built on the host only (the simulated
# machine's own tests and fixture); on Windows the folder's win32/*.cpp are
# added instead. WINDOWS_EXCLUDE: test cases left out of the Windows run (each
# one a known, reported disagreement between the simulated machine and Windows).
function(ks_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS;HOST_ONLY;WINDOWS_EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    foreach(pattern IN LISTS ARG_HOST_ONLY)
      file(GLOB host_only CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
      if(host_only)
        list(REMOVE_ITEM sources ${host_only})
      endif()
    endforeach()
    file(GLOB windows_only CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp)
    list(APPEND sources ${windows_only})
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_definitions(${name} PRIVATE KS_SOURCE_DIR="${PROJECT_SOURCE_DIR}")  # the fuzz corpora
  ks_warnings(${name})
  if(NOT WIN32)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    return()
  endif()
  # Windows: every start of a program under Wine is slow, so each test binary
  # is one CTest test (filter inside with --gtest_filter), run through the
  # emulator (scripts/wine-test) in one Wine prefix per build tree.
  target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/WindowsTestMain.cpp)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest)
  target_link_options(${name} PRIVATE -municode)
  set(filter)
  if(ARG_WINDOWS_EXCLUDE)
    list(JOIN ARG_WINDOWS_EXCLUDE ":" excluded)
    set(filter "--gtest_filter=-${excluded}")
  endif()
  add_test(NAME ${name} COMMAND ${name} ${filter})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "KS_WINE_PREFIX=${CMAKE_BINARY_DIR}/wine-prefix")
endfunction()
