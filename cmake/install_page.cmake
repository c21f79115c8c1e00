# The page, logtrim.html, goes with the tool: into share/logtrim, or in the
# Windows zip beside logtrim.exe. A native build cannot make it (that takes
# the web preset's WebAssembly build), so the page is taken from a web
# build: LOGTRIM_PAGE names the built file. Left empty, the tool installs
# without the page.
set(LOGTRIM_PAGE "" CACHE FILEPATH
  "logtrim.html from a web build, installed as share/logtrim/logtrim.html")
if(LOGTRIM_PAGE)
  if(NOT EXISTS "${LOGTRIM_PAGE}")
    message(FATAL_ERROR "LOGTRIM_PAGE names no file: ${LOGTRIM_PAGE}")
  endif()
  if(WIN32)
    set(page_destination .)
  else()
    set(page_destination ${CMAKE_INSTALL_DATADIR}/logtrim)
  endif()
  install(FILES "${LOGTRIM_PAGE}" DESTINATION ${page_destination}
    RENAME logtrim.html COMPONENT tool)
endif()
