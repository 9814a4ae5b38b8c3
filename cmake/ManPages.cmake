# SPDX-License-Identifier: GPL-3.0-or-later
# The man pages, written by help2man from each program's --help and --version, and
# written again when the program changes. The programs run in an empty environment: no
# display to open, and HOME=~ so that the server's defaults read ~/.local/share/...
# instead of the builder's folders. Installed compressed, as Debian keeps them.
find_program(HELP2MAN help2man REQUIRED)
set(man_env env -i PATH=/usr/bin:/bin LC_ALL=C.UTF-8 HOME=~)
if(ARTCAL_SANITIZE)
  # A leak report at exit would fail the build, for the sake of a page of text.
  list(APPEND man_env ASAN_OPTIONS=detect_leaks=0)
endif()
set(man_dir ${CMAKE_BINARY_DIR}/man)

function(artcal_man_page target name)
  set(page ${man_dir}/${target}.1)
  set(include ${man_dir}/${target}.h2m)
  configure_file(${PROJECT_SOURCE_DIR}/data/man/${target}.h2m.in ${include} @ONLY)
  add_custom_command(OUTPUT ${page}.gz
    COMMAND ${man_env} ${HELP2MAN} --no-info --name ${name} --include ${include}
            --output ${page} $<TARGET_FILE:${target}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${target} ${include}
    VERBATIM)
  set(man_pages ${man_pages} ${page}.gz PARENT_SCOPE)
endfunction()

artcal_man_page(artcal "desktop calendar with a picture of the day")
artcal_man_page(artcal-server "picture server for the artcal calendar widget")
add_custom_target(artcal_man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
