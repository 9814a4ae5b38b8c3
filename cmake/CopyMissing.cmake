# SPDX-License-Identifier: GPL-3.0-or-later
# Copies each of FILES into DEST unless DEST already has it, and creates DEST/MyGallery:
# a rebuild never overwrites the state a user keeps beside the built executable.
foreach(file IN LISTS FILES)
  get_filename_component(name "${file}" NAME)
  if(NOT EXISTS "${DEST}/${name}")
    file(COPY "${file}" DESTINATION "${DEST}")
  endif()
endforeach()
file(MAKE_DIRECTORY "${DEST}/MyGallery")
