# Small helpers so that each folder's CMakeLists.txt stays a list of its files.

# purgello_library(name SOURCES ... [DEPS ...])
function(purgello_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# purgello_test(name SOURCES ... [DEPS ...] [NATIVE_ONLY] [WINDOWS_ONLY] [TSAN] [RUN_WITH command...])
# A test program is one CTest test. On Windows builds it runs under Wine in a
# fresh 64-bit prefix (tools/wine-run.sh), the i686 build through its 32-bit
# layer; the runner's exit status 77 (that layer cannot run here) is a skip. TSAN marks the concurrency tests that the
# ThreadSanitizer build also runs; that build builds nothing else. RUN_WITH puts
# a command in front of the test's own (one that starts servers around it).
function(purgello_test name)
  cmake_parse_arguments(ARG "NATIVE_ONLY;WINDOWS_ONLY;TSAN" "" "SOURCES;DEPS;RUN_WITH" ${ARGN})
  if(NOT PURGELLO_BUILD_TESTS)
    return()
  endif()
  if(PURGELLO_TSAN_ONLY AND NOT ARG_TSAN)
    return()
  endif()
  if(ARG_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(ARG_WINDOWS_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} purgello_test_support GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(WIN32)
    add_test(NAME ${name} COMMAND ${ARG_RUN_WITH} ${PROJECT_SOURCE_DIR}/tools/wine-run.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
  else()
    add_test(NAME ${name} COMMAND ${ARG_RUN_WITH} ${PROJECT_SOURCE_DIR}/tools/native-run.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
  endif()
endfunction()

# purgello_test_also_at_dpi(name DPI): runs the Windows test program name a
# second time as name_<DPI>dpi, with the prefix's LogPixels at DPI.
function(purgello_test_also_at_dpi name dpi)
  if(TARGET ${name})
    add_test(NAME ${name}_${dpi}dpi COMMAND env PURGELLO_WINE_DPI=${dpi}
             ${PROJECT_SOURCE_DIR}/tools/wine-run.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name}_${dpi}dpi PROPERTIES TIMEOUT 900 SKIP_RETURN_CODE 77)
  endif()
endfunction()

# purgello_area_library(name DEPS ...): every .cpp of the calling folder except
# tests, so that adding a file to an area is adding the file.
function(purgello_area_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_test\\.cpp$")
  if(sources)
    purgello_library(${name} SOURCES ${sources} DEPS ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# The four fields must fit the version block's 16 bits each, and the update check
# packs them the same way.
if(NOT PURGELLO_VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "PURGELLO_VERSION must be four numbers joined by dots, not '${PURGELLO_VERSION}'")
endif()
foreach(field ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} ${PROJECT_VERSION_TWEAK})
  if(field GREATER 65535)
    message(FATAL_ERROR "PURGELLO_VERSION: ${field} does not fit in 16 bits")
  endif()
endforeach()

# The version for the resource compiler, read by every executable's version block
# (app/version_block.rc).
set(PURGELLO_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${PROJECT_VERSION_TWEAK}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/purgello_version.h CONTENT
"#define PURGELLO_VERSION_NUMBERS ${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},${PROJECT_VERSION_TWEAK}
#define PURGELLO_VERSION_TEXT \"${PURGELLO_VERSION_TEXT}\"
")
