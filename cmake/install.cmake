# Installation and packaging: the tool with its manual page, and the sonarlog
# library with its headers and a package config for find_package(logtrim).
#
# Two install components keep them apart:
#   tool         bin/logtrim and share/man/man1/logtrim.1
#   development  the library, its headers under include/logtrim, and
#                lib/cmake/logtrim
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Windows: a zip of the tool, the README and the manual as text.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package_windows.cmake)
  return()
endif()

install(TARGETS logtrim
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/logtrim.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT tool)

# The name other projects link, usable inside this tree as well.
add_library(logtrim::sonarlog ALIAS sonarlog)

# The headers keep their directories under include/logtrim, so that
# "sonarlog/frame_header.h" is included the same way inside and outside.
install(TARGETS sonarlog EXPORT logtrimTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT development
  # A shared build: the tool needs the library at run time.
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT tool
    NAMELINK_COMPONENT development
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/logtrim)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/sonarlog ${PROJECT_SOURCE_DIR}/ops
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/logtrim COMPONENT development
  FILES_MATCHING PATTERN "*.h")

set(logtrim_config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/logtrim)
install(EXPORT logtrimTargets NAMESPACE logtrim::
  DESTINATION ${logtrim_config_dir} COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/logtrimConfig.cmake.in
  ${PROJECT_BINARY_DIR}/logtrimConfig.cmake
  INSTALL_DESTINATION ${logtrim_config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/logtrimConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/logtrimConfig.cmake
  ${PROJECT_BINARY_DIR}/logtrimConfigVersion.cmake
  DESTINATION ${logtrim_config_dir} COMPONENT development)

# cpack -G DEB: logtrim_<version>_<arch>.deb holds the tool and its manual
# page; logtrim-dev_<version>_<arch>.deb the library, headers and config.
set(CPACK_PACKAGE_NAME logtrim)
set(CPACK_PACKAGE_VENDOR "logtrim developers")
set(CPACK_PACKAGE_CONTACT "logtrim developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
set(CPACK_COMPONENTS_ALL tool development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME logtrim)
set(CPACK_DEBIAN_TOOL_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME logtrim-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
# The summary above is the first line of both descriptions.
set(CPACK_DEBIAN_TOOL_DESCRIPTION
  "Prints a per-channel summary of a .sl2 sonar log and writes trimmed copies:
a range of frames, without the channel groups named.")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "The library that reads and writes sonar logs, its headers and a CMake
package config: find_package(logtrim) gives the target logtrim::sonarlog.")
include(CPack)

if(BUILD_TESTING AND NOT WIN32)
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/install ${PROJECT_BINARY_DIR}/tests/install)
endif()
