# Installs the SDK: the module, the logging library it loads, the headers, a CMake
# package (find_package(Vellum): Vellum::vellum, the module file, and Vellum::headers,
# what a client compiles against) and a pkg-config file. The installed tree is
# relocatable: the module finds libvellum_xlog beside itself (RUNPATH $ORIGIN), and
# the package and pkg-config files locate the prefix from where they lie.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# A client compiles against the SDK headers and calls the dynamic loader; it never
# links the module.
add_library(vellum_headers INTERFACE)
target_include_directories(vellum_headers INTERFACE
                           $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
                           $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
target_link_libraries(vellum_headers INTERFACE ${CMAKE_DL_LIBS})
set_target_properties(vellum_headers PROPERTIES EXPORT_NAME headers)
add_library(Vellum::headers ALIAS vellum_headers)

install(TARGETS vellum vellum_xlog vellum_headers EXPORT VellumTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES include/vellum/IVellum.h include/vellum/records.h include/vellum/plugin.h
              libs/xlog/xlog.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/vellum)
install(EXPORT VellumTargets NAMESPACE Vellum::
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellum)

configure_package_config_file(cmake/VellumConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/VellumConfig.cmake
                              INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellum)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/VellumConfigVersion.cmake
                                 COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VellumConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/VellumConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Vellum)

# pkg-config: the prefix relative to the .pc file, the module file as a variable
# (pkg-config --variable=module vellum), and the loader library as Libs.
file(RELATIVE_PATH VELLUM_PC_PREFIX "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig"
     "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" VELLUM_PC_PREFIX "${VELLUM_PC_PREFIX}")
get_target_property(VELLUM_SOVERSION vellum SOVERSION)
set(VELLUM_MODULE_FILE_NAME
    "${CMAKE_SHARED_LIBRARY_PREFIX}vellum${CMAKE_SHARED_LIBRARY_SUFFIX}.${VELLUM_SOVERSION}")
set(VELLUM_PC_LIBS "")
foreach(library IN LISTS CMAKE_DL_LIBS)
  string(APPEND VELLUM_PC_LIBS " -l${library}")
endforeach()
configure_file(cmake/vellum.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vellum.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vellum.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# The package must work from a fresh install: install into a temporary prefix, build
# examples/consumer against it (with CMake and with pkg-config) and run it.
if(VELLUM_BUILD_TESTS AND NOT WIN32)
  add_test(NAME SdkPackage.ConsumerBuildsAndRunsAgainstAFreshInstall
           COMMAND ${CMAKE_COMMAND}
                   -DVELLUM_BUILD_DIR=${CMAKE_BINARY_DIR}
                   -DVELLUM_SOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR}
                   -DVELLUM_WORK_DIR=${CMAKE_BINARY_DIR}/sdk-check
                   -DVELLUM_LIBDIR=${CMAKE_INSTALL_LIBDIR}
                   -DVELLUM_CXX=${CMAKE_CXX_COMPILER}
                   "-DVELLUM_CXX_FLAGS=${CMAKE_CXX_FLAGS}"
                   "-DVELLUM_LINKER_FLAGS=${CMAKE_EXE_LINKER_FLAGS}"
                   -DVELLUM_BUILD_TYPE=${CMAKE_BUILD_TYPE}
                   -P ${CMAKE_CURRENT_SOURCE_DIR}/examples/CheckConsumer.cmake)
endif()
