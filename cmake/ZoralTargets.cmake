# Compiler settings shared by every target, and the helpers that declare the
# project's libraries and test binaries.

add_library(zoral_options INTERFACE)
target_compile_options(zoral_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
  -Wnull-dereference -Wimplicit-fallthrough -Wformat=2 -Wsuggest-override
  # clang checks the lock annotations of platform/thread_safety.h.
  $<$<CXX_COMPILER_ID:Clang>:-Wthread-safety>
  # Designated initialisers may leave members to their default initialisers.
  -Wno-missing-field-initializers
  # g++ 12's optimiser reports uninitialised optionals and overlapping string
  # copies inside the standard library that cannot happen; debug builds keep
  # both warnings.
  $<$<AND:$<CXX_COMPILER_ID:GNU>,$<NOT:$<CONFIG:Debug>>>:-Wno-maybe-uninitialized -Wno-restrict>)
if(ZORAL_WERROR)
  target_compile_options(zoral_options INTERFACE -Werror)
endif()
# Link with lld where the compiler can: a test binary with its line tables links several times
# faster than with the default linker, and the builds link some fifty programs.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld ZORAL_LINKS_WITH_LLD)
if(ZORAL_LINKS_WITH_LLD)
  add_link_options(-fuse-ld=lld)
endif()
# A unity build (CI's builds) compiles a target's files in batches, each batch one source; g++
# then takes each file's own anonymous types for a header's and warns of every class that holds one.
if(CMAKE_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zoral_options INTERFACE -Wno-subobject-linkage)
endif()
# The fuzzers run under both sanitizers too. Undefined behaviour stops the program, so a test or a
# fuzzer that meets it fails instead of printing a line and exiting 0. One build may do both: the
# fuzzing instrumentation leaves the tests as they are.
if(ZORAL_SANITIZE OR ZORAL_FUZZ)
  target_compile_options(zoral_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(zoral_options INTERFACE -fsanitize=address,undefined)
endif()
if(ZORAL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "The fuzz build needs clang (CXX=clang++)")
  endif()
  target_compile_options(zoral_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# zoral_add_library(<folder> DEPS <targets...>)
# One library per folder of src/: every .cpp file of the folder and its subfolders, public headers
# included as "<folder>/<file>.h".
#
# Each library exports its own folder only, through an include directory of the build tree that
# holds one link, <folder> -> src/<folder>. So a file sees the headers of its own folder and of
# the libraries it links (the folders below it), and an include that runs up the layer order does
# not compile; scripts/check-layers.sh holds the order inside a folder.
function(zoral_add_library folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(include_root ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${include_root})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include_root}/${folder} SYMBOLIC)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(sources)
    add_library(zoral_${folder} STATIC ${sources})
    target_include_directories(zoral_${folder} PUBLIC ${include_root})
    target_link_libraries(zoral_${folder} PUBLIC ${ARG_DEPS} PRIVATE zoral_options)
  else()
    # A folder of headers only.
    add_library(zoral_${folder} INTERFACE)
    target_include_directories(zoral_${folder} INTERFACE ${include_root})
    target_link_libraries(zoral_${folder} INTERFACE ${ARG_DEPS})
  endif()
  add_library(zoral::${folder} ALIAS zoral_${folder})
endfunction()

# zoral_add_test(<folder> DEPS <targets...> [ENVIRONMENT <NAME=value...>])
# One GoogleTest binary per folder of tests/ (subfolders included), labelled with the folder's name,
# each test run with the environment given.
function(zoral_add_test folder)
  cmake_parse_arguments(ARG "" "" "DEPS;ENVIRONMENT" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${folder}_tests ${sources})
  target_link_libraries(${folder}_tests PRIVATE ${ARG_DEPS} zoral_test_support
                        GTest::gmock zoral_options)
  set(properties LABELS ${folder})
  if(ARG_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${folder}_tests
    PROPERTIES ${properties}
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()
