# Installation and packaging: the tool with its manual page, and the sonarlog
# library with its headers and a package config for find_package(logtrim).
#
# Two install components keep them apart:
#   tool         bin/logtrim and share/man/man1/logtrim.1.gz
#   development  the library, its headers under include/logtrim, and
#                lib/cmake/logtrim
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Windows: a zip of the tool, the README, the licence and the manual as
# text.
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/package_windows.cmake)
  return()
endif()

# Files made once at build time for installing: the manual page compressed
# as distributions ship it (-n keeps name and time out, so that every
# build gives the same bytes), and the Debian changelog.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(packaging_dir ${PROJECT_BINARY_DIR}/packaging)
set(compressed_files)
foreach(source logtrim.1 packaging/changelog.Debian)
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${packaging_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/${source} ${packaging_dir}/${name}
    COMMAND ${GZIP_PROGRAM} -9nf ${packaging_dir}/${name}
    DEPENDS ${PROJECT_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND compressed_files ${packaging_dir}/${name}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_files})

install(TARGETS logtrim
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT tool)
install(FILES ${packaging_dir}/logtrim.1.gz
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
#
# The changelog's latest entry gives the package's version, Debian revision
# and maintainer, so that the three cannot disagree with it.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^logtrim \\(([^)-]+)-([^)]+)\\) ")
  message(FATAL_ERROR "packaging/changelog.Debian: first line is not an entry: ${changelog_top}")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog.Debian: latest entry is ${CMAKE_MATCH_1}, "
    "the project is ${PROJECT_VERSION}")
endif()
set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_2})
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian changelog_trailer
  REGEX "^ -- " LIMIT_COUNT 1)
if(NOT changelog_trailer MATCHES "^ -- ([^<]+ <[^>]+>)  ")
  message(FATAL_ERROR "packaging/changelog.Debian: no \"Name <address>\" in ${changelog_trailer}")
endif()
set(CPACK_PACKAGE_CONTACT "${CMAKE_MATCH_1}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CMAKE_MATCH_1}")

# Each package carries its copyright file (the licence in full) and the
# changelog in its own doc folder. Only a component install puts them
# there, as cpack does: a plain cmake --install leaves them out.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
file(WRITE ${packaging_dir}/copyright
  "logtrim: summarise and trim sonar logs.\n\n"
  "It is distributed under the MIT licence:\n\n${license_text}")
foreach(component_package tool:logtrim development:logtrim-dev)
  string(REPLACE ":" ";" pair ${component_package})
  list(GET pair 0 component)
  list(GET pair 1 package)
  install(FILES ${packaging_dir}/copyright ${packaging_dir}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}
    COMPONENT ${component} EXCLUDE_FROM_ALL)
  # The packages are built outside Debian's archive, so their first
  # changelog entry closes no request-for-packaging bug; lintian is told
  # so, as for any package that is not uploaded there.
  file(WRITE ${packaging_dir}/lintian/${package}
    "# Not uploaded to Debian: there is no packaging request to close.\n"
    "${package}: initial-upload-closes-no-bugs\n")
  install(FILES ${packaging_dir}/lintian/${package}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides
    COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_PACKAGE_NAME logtrim)
set(CPACK_PACKAGE_VENDOR "The logtrim developers")
# The binary in the package is stripped; the build tree keeps its symbols.
# A stripping install (cpack's) also drops what Debian's own packages drop:
# the compiler's .comment notes, and the library's debugging sections.
set(CPACK_STRIP_FILES ON)
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    set(installed \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX})
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
      --strip-unneeded \"\${installed}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:logtrim>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT tool)
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    set(installed \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX})
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
      --strip-debug \"\${installed}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:sonarlog>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT development)
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
