# cpack -G ZIP in the Windows build: logtrim-<version>-win64.zip holds
# logtrim.exe, the README, the licence when there is one, the manual page
# formatted as plain text at build time (Windows has no man), and the page
# logtrim.html when a web build made one (install_page.cmake).
find_program(GROFF groff REQUIRED)
set(manual_text ${PROJECT_BINARY_DIR}/logtrim.txt)
add_custom_command(OUTPUT ${manual_text}
  COMMAND ${CMAKE_COMMAND} -DGROFF=${GROFF} -DPAGE=${PROJECT_SOURCE_DIR}/logtrim.1
    -DOUTPUT=${manual_text} -P ${CMAKE_CURRENT_LIST_DIR}/manual_text.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/logtrim.1 ${CMAKE_CURRENT_LIST_DIR}/manual_text.cmake
  COMMENT "Formatting the manual page as text")
add_custom_target(manual_text ALL DEPENDS ${manual_text})

install(TARGETS logtrim RUNTIME DESTINATION . COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${manual_text} DESTINATION . COMPONENT tool)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . COMPONENT tool OPTIONAL)

set(CPACK_PACKAGE_NAME logtrim)
set(CPACK_PACKAGE_VENDOR "The logtrim developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME logtrim-${PROJECT_VERSION}-win64)
# The files lie in one folder named like the zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENTS_ALL tool)
include(CPack)
