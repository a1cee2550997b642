# cmake -DSRC=<this folder> -DBIN=<a build folder> -DCXX=<clang++> -P run.cmake
# Configures and builds the ThreadSanitizer tree, then runs the stress test; any
# report of the sanitizer fails it.
if(NOT EXISTS ${BIN}/build.ninja)
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SRC} -B ${BIN} -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
                          -DCMAKE_CXX_COMPILER=${CXX} ${LAUNCHER} RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "configuring the ThreadSanitizer build failed")
  endif()
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BIN} RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the ThreadSanitizer build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env TSAN_OPTIONS=halt_on_error=1:exitcode=66
                        ${BIN}/monthly_loader_stress_tsan RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the loader stress test failed under ThreadSanitizer (${rc})")
endif()
