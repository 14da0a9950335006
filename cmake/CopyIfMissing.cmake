# cmake -DSOURCE=<file> -DDESTINATION=<file> -P CopyIfMissing.cmake
# Copies SOURCE to DESTINATION only when nothing is there yet: the delivered
# main.ini seeds a new installation, and never resets the user's settings
# (window state, LASTLIST, options) on a rebuild or a reinstall.
if(NOT DEFINED SOURCE OR NOT DEFINED DESTINATION)
  message(FATAL_ERROR "CopyIfMissing.cmake needs SOURCE and DESTINATION")
endif()
if(EXISTS "${DESTINATION}" OR IS_SYMLINK "${DESTINATION}")
  message(STATUS "Kept: ${DESTINATION}")
else()
  get_filename_component(folder "${DESTINATION}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${DESTINATION}")
  message(STATUS "Installing: ${DESTINATION}")
endif()
