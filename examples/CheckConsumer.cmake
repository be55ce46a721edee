# Checks the installable SDK from the outside, as a client engineer meets it: installs
# the build into a fresh prefix, builds examples/consumer against it with CMake
# (find_package(Vellum)) and with pkg-config, runs both, and checks that the README's
# client excerpt is still the consumer's code. Run by CTest (see cmake/Install.cmake):
#
#   cmake -DVELLUM_BUILD_DIR=... -DVELLUM_SOURCE_DIR=... -DVELLUM_WORK_DIR=...
#         -DVELLUM_LIBDIR=lib -DVELLUM_CXX=c++ [-DVELLUM_CXX_FLAGS=...]
#         [-DVELLUM_LINKER_FLAGS=...] [-DVELLUM_BUILD_TYPE=...] -P CheckConsumer.cmake
#
# The compiler flags of the build are passed on, so that a sanitizer build checks a
# consumer built with the same sanitizer.
cmake_minimum_required(VERSION 3.16)

foreach(required VELLUM_BUILD_DIR VELLUM_SOURCE_DIR VELLUM_WORK_DIR VELLUM_LIBDIR VELLUM_CXX)
  if(NOT DEFINED ${required} OR "${${required}}" STREQUAL "")
    message(FATAL_ERROR "CheckConsumer.cmake needs -D${required}=...")
  endif()
endforeach()

# Runs a command; stops the check with its output when it fails.
function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${what} failed (${result}):\n${out}\n${err}")
  endif()
  set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

set(prefix "${VELLUM_WORK_DIR}/prefix")
file(REMOVE_RECURSE "${VELLUM_WORK_DIR}")
file(MAKE_DIRECTORY "${VELLUM_WORK_DIR}")

# 1. A fresh install, away from the configured prefix: the tree must be relocatable.
run("cmake --install" "${CMAKE_COMMAND}" --install "${VELLUM_BUILD_DIR}" --prefix "${prefix}")
foreach(installed
        "${VELLUM_LIBDIR}/libvellum.so.0" "${VELLUM_LIBDIR}/libvellum_xlog.so.0"
        include/vellum/IVellum.h include/vellum/records.h include/vellum/plugin.h
        "${VELLUM_LIBDIR}/cmake/Vellum/VellumConfig.cmake"
        "${VELLUM_LIBDIR}/cmake/Vellum/VellumConfigVersion.cmake"
        "${VELLUM_LIBDIR}/pkgconfig/vellum.pc")
  if(NOT EXISTS "${prefix}/${installed}")
    message(FATAL_ERROR "the install lacks ${installed}")
  endif()
endforeach()

# 2. The consumer through find_package(Vellum).
set(consumer_build "${VELLUM_WORK_DIR}/consumer-cmake")
run("configuring the consumer" "${CMAKE_COMMAND}" -S "${VELLUM_SOURCE_DIR}/examples/consumer"
    -B "${consumer_build}" "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${VELLUM_CXX}"
    "-DCMAKE_CXX_FLAGS=${VELLUM_CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${VELLUM_LINKER_FLAGS}"
    "-DCMAKE_BUILD_TYPE=${VELLUM_BUILD_TYPE}")
run("building the consumer" "${CMAKE_COMMAND}" --build "${consumer_build}")
run("running the consumer" "${consumer_build}/vellum-consumer")
string(FIND "${RUN_OUTPUT}" "loaded Vellum 0.0.1 from ${prefix}/" loaded)
string(FIND "${RUN_OUTPUT}" "\nvellum-consumer: ok\n" passed)
if(loaded EQUAL -1 OR passed EQUAL -1)
  message(FATAL_ERROR "the consumer built with CMake did not load the installed module:\n${RUN_OUTPUT}")
endif()
message(STATUS "find_package(Vellum):\n${RUN_OUTPUT}")

# 3. The consumer through pkg-config, with the module path it gives.
find_program(PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
set(pc_env "PKG_CONFIG_PATH=${prefix}/${VELLUM_LIBDIR}/pkgconfig")
run("pkg-config --cflags --libs vellum" "${CMAKE_COMMAND}" -E env "${pc_env}" "${PKG_CONFIG}" --cflags --libs vellum)
string(STRIP "${RUN_OUTPUT}" pc_flags)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
run("pkg-config --variable=module vellum" "${CMAKE_COMMAND}" -E env "${pc_env}" "${PKG_CONFIG}" --variable=module vellum)
string(STRIP "${RUN_OUTPUT}" pc_module)
separate_arguments(cxx_flags UNIX_COMMAND "${VELLUM_CXX_FLAGS} ${VELLUM_LINKER_FLAGS}")
set(pc_consumer "${VELLUM_WORK_DIR}/consumer-pkg-config")
run("compiling the consumer with pkg-config's flags" "${VELLUM_CXX}" -std=c++17 ${cxx_flags}
    "-DVELLUM_MODULE_FILE=\"${pc_module}\"" "${VELLUM_SOURCE_DIR}/examples/consumer/main.cpp"
    -o "${pc_consumer}" ${pc_flags})
run("running the pkg-config consumer" "${pc_consumer}")
string(FIND "${RUN_OUTPUT}" "\nvellum-consumer: ok\n" passed)
if(passed EQUAL -1)
  message(FATAL_ERROR "the consumer built with pkg-config failed:\n${RUN_OUTPUT}")
endif()
get_filename_component(pc_module_real "${pc_module}" REALPATH)
get_filename_component(prefix_real "${prefix}" REALPATH)
string(FIND "${pc_module_real}" "${prefix_real}/" inside)
if(NOT inside EQUAL 0)
  message(FATAL_ERROR "pkg-config names a module outside the install: ${pc_module}")
endif()

# 4. The README's client excerpt (the ```cpp block after the marker) is the consumer's
#    code, word for word.
file(READ "${VELLUM_SOURCE_DIR}/README.md" readme)
file(READ "${VELLUM_SOURCE_DIR}/examples/consumer/main.cpp" consumer)
string(FIND "${readme}" "<!-- excerpt of examples/consumer/main.cpp -->" marker)
if(marker EQUAL -1)
  message(FATAL_ERROR "README.md lacks the marker of the consumer excerpt")
endif()
string(SUBSTRING "${readme}" ${marker} -1 readme)
string(REGEX MATCH "```cpp\n[^`]*```" excerpt "${readme}")
string(REGEX REPLACE "^```cpp\n(.*)```$" "\\1" excerpt "${excerpt}")
if(excerpt STREQUAL "")
  message(FATAL_ERROR "README.md has no ```cpp excerpt")
endif()
string(FIND "${consumer}" "${excerpt}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md's excerpt is no longer part of examples/consumer/main.cpp:\n${excerpt}")
endif()

file(REMOVE_RECURSE "${VELLUM_WORK_DIR}")
message(STATUS "the installed SDK builds and runs its consumer")
