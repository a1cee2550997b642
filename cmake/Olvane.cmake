# Helpers shared by every module's CMakeLists.
include_guard(GLOBAL)
set(OLV_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

option(OLV_SANITIZE "Native build with AddressSanitizer and UBSan" OFF)
set(OLV_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs under ctest")

set(OLV_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # The native build shares its parsers and engines with the handheld build: a 64-bit
  # value cut to 32 bits unseen is an error here too.
  list(APPEND OLV_WARNINGS -Werror=shorten-64-to-32)
endif()

if(OLV_WIN32)
  # Static runtime: device programs need no mingw DLLs in the image.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0600 NOMINMAX)
  # 64-bit clean: a pointer or handle squeezed through a 32-bit integer is an error.
  add_compile_options(-Werror=int-to-pointer-cast $<$<COMPILE_LANGUAGE:C>:-Werror=pointer-to-int-cast>)
  # Where built device files are collected before `./dev device` installs them.
  set(OLV_STAGE_DIR ${CMAKE_BINARY_DIR}/stage CACHE INTERNAL "")
elseif(OLV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Coverage for every library the fuzz targets link, not only their own source:
    # without it libFuzzer sees a dozen edges and mutates blindly.
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()

# A library of platform-neutral code: builds in both builds.
function(olv_neutral_library name)
  add_library(${name} STATIC ${ARGN})
  target_compile_options(${name} PRIVATE ${OLV_WARNINGS})
endfunction()

# olv_test(name SOURCES ... [LIBS ...] [TIMEOUT s] [DEVICE] [LABELS ...])
# A GoogleTest executable run by ctest (through Wine in the handheld build).
# DEVICE: the test uses the shared test device (its registry and files), so such
# tests never run at the same time as each other.
function(olv_test name)
  cmake_parse_arguments(T "DEVICE" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gtest)
  target_compile_options(${name} PRIVATE ${OLV_WARNINGS})
  if(OLV_WIN32)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  if(T_DEVICE)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK device)
  endif()
endfunction()

# olv_fuzzer(name SOURCES ... [LIBS ...] CORPUS dir)
# A libFuzzer target (native clang build only), run by ctest for OLV_FUZZ_SECONDS
# from the seed corpus kept in the repository; new inputs go to the build tree.
function(olv_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(OLV_WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=${OLV_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048
                   -print_final_stats=0 ${work} ${F_CORPUS})
  math(EXPR t "${OLV_FUZZ_SECONDS} + 120")
  set_tests_properties(${name} PROPERTIES TIMEOUT ${t} LABELS fuzz)
endfunction()

# olv_benchmark(name SOURCES ... [LIBS ...]): a program that prints its figures,
# the first line naming the build they come from. Built, never run by the tests:
# `./dev bench` runs them from an optimised native tree (build-bench/) and from the
# handheld build; the target olv_benchmarks builds every one of a tree.
if(OLV_WIN32)
  set(OLV_BENCH_BUILD "x86-64 mingw-w64 ${CMAKE_BUILD_TYPE}, under Wine")
elseif(OLV_SANITIZE)
  set(OLV_BENCH_BUILD "native ${CMAKE_BUILD_TYPE} with sanitizers: not representative")
else()
  set(OLV_BENCH_BUILD "native optimised (${CMAKE_CXX_COMPILER_ID} ${CMAKE_BUILD_TYPE})")
endif()
function(olv_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES} ${OLV_CMAKE_DIR}/bench_build.cpp)
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  target_compile_definitions(${name} PRIVATE "OLV_BENCH_BUILD=\"${OLV_BENCH_BUILD}\"")
  set_property(GLOBAL APPEND PROPERTY OLV_BENCHMARKS ${name})
endfunction()

# olv_stage(target DEST): the built file goes into the device image at folder DEST
# (a path from the device root, with /, e.g. "Windows").
function(olv_stage target dest)
  if(NOT OLV_WIN32)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OLV_STAGE_DIR}/files/${dest}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${OLV_STAGE_DIR}/files/${dest}/
    VERBATIM)
endfunction()

# olv_device_reg(FILE.reg): registry values that installing this module writes on
# the device (REGEDIT4 text without the header line).
function(olv_device_reg file)
  if(NOT OLV_WIN32)
    return()
  endif()
  get_filename_component(abs ${file} ABSOLUTE)
  string(MD5 tag ${abs})
  configure_file(${abs} ${OLV_STAGE_DIR}/registry/${tag}.reg COPYONLY)
endfunction()


# olv_dll(name SOURCES ... DEF file.def [LIBS ...])
# Libraries export through their .def files only, by plain name or by ordinal
# (InitializeCustomItem @240 NONAME), as the handheld's libraries do. x86-64 has one
# calling convention, so names carry no stdcall decoration to fix up.
function(olv_dll name)
  cmake_parse_arguments(D "" "DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${D_SOURCES} ${D_DEF})
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_link_libraries(${name} PRIVATE ${D_LIBS})
  target_compile_options(${name} PRIVATE ${OLV_WARNINGS})
endfunction()

# olv_layout32(name SOURCES ... [INCLUDES dir ...])
# The handheld is 32-bit: these sources' CE_LAYOUT checks are compiled (never run)
# by the i686 cross compiler, without linking, as part of every handheld build; a
# structure whose 32-bit size changes fails the build. The same sources should also
# be compiled by this build, which checks the x86-64 sizes.
function(olv_layout32 name)
  if(NOT OLV_WIN32)
    return()
  endif()
  cmake_parse_arguments(L "" "" "SOURCES;INCLUDES" ${ARGN})
  find_program(OLV_I686_CXX i686-w64-mingw32-g++-posix REQUIRED)
  set(flags -std=c++17 -fsyntax-only -Wall -Wextra -Wno-unused-parameter
            -DUNICODE -D_UNICODE -DWINVER=0x0501 -D_WIN32_WINNT=0x0501 -D_WIN32_IE=0x0600 -DNOMINMAX)
  foreach(dir ${L_INCLUDES})
    list(APPEND flags -I${dir})
  endforeach()
  set(stamps)
  foreach(src ${L_SOURCES})
    get_filename_component(abs ${src} ABSOLUTE)
    get_filename_component(base ${src} NAME_WE)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_${base}.i686.stamp)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${OLV_I686_CXX} ${flags} -MD -MF ${stamp}.d -MT ${stamp} ${abs}
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${abs} DEPFILE ${stamp}.d
      COMMENT "32-bit layouts of ${src}" VERBATIM)
    list(APPEND stamps ${stamp})
  endforeach()
  add_custom_target(${name} ALL DEPENDS ${stamps})
endfunction()
