# Installs the SDK: the module, the logging library it loads, the headers, a CMake
# package (find_package(Vellum) -> Vellum::vellum) and a pkg-config file.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS vellum vellum_xlog EXPORT VellumTargets
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES include/vellum/IVellum.h include/vellum/records.h include/vellum/plugin.h
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

configure_file(cmake/vellum.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vellum.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vellum.pc
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
