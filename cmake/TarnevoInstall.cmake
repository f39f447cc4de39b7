# Installation: the C++ library as a CMake package (tarnevo::tarnevo), the C library
# (tarnevo::c, also described by tarnevo.pc), their headers and the command.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(TARNEVO_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/tarnevo)

# Installed programs find tarnevo's shared libraries relative to themselves ($ORIGIN/../lib), so
# a prefix outside the run-time linker's paths, or a moved one, needs no LD_LIBRARY_PATH.
file(RELATIVE_PATH TARNEVO_LIBDIR_FROM_BINDIR
     /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CMAKE_INSTALL_LIBDIR})
if(TARGET tarnevo_cli)
  set_target_properties(tarnevo_cli PROPERTIES
    INSTALL_RPATH "$ORIGIN/${TARNEVO_LIBDIR_FROM_BINDIR}")
endif()

install(TARGETS tarnevo_core EXPORT tarnevoTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/core/include/tarnevo
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.hpp")
install(FILES ${PROJECT_BINARY_DIR}/core/include/tarnevo/version.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tarnevo)

if(TARGET tarnevo)
  install(TARGETS tarnevo EXPORT tarnevoTargets
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
  install(FILES ${PROJECT_BINARY_DIR}/bindings/c/tarnevo.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()

install(EXPORT tarnevoTargets NAMESPACE tarnevo:: DESTINATION ${TARNEVO_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/tarnevoConfig.cmake.in
  ${PROJECT_BINARY_DIR}/tarnevoConfig.cmake INSTALL_DESTINATION ${TARNEVO_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tarnevoConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tarnevoConfig.cmake ${PROJECT_BINARY_DIR}/tarnevoConfigVersion.cmake
  DESTINATION ${TARNEVO_CMAKE_DIR})

# tarnevo's licence and the notices of what it carries (libyaml, linked in; the Unicode data
# behind the generated tables), in share/doc/tarnevo/.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/licenses DESTINATION ${CMAKE_INSTALL_DOCDIR})
