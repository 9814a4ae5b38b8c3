# SPDX-License-Identifier: GPL-3.0-or-later
# artcal_build_flags: warnings and sanitizers for every target, tests included.
add_library(artcal_build_flags INTERFACE)
target_compile_options(artcal_build_flags INTERFACE -Wall -Wextra -pedantic)
target_compile_definitions(artcal_build_flags INTERFACE ARTCAL_VERSION="${PROJECT_VERSION}")
if(ARTCAL_SANITIZE)
  target_compile_options(artcal_build_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(artcal_build_flags INTERFACE -fsanitize=address,undefined)
endif()

# artcal_flags: the product code also gets Qt's strict string and URL conversions.
# Link it PRIVATE, so tests keep plain literals.
add_library(artcal_flags INTERFACE)
target_link_libraries(artcal_flags INTERFACE artcal_build_flags)
target_compile_definitions(artcal_flags INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_CONTEXTLESS_CONNECT
  QT_DISABLE_DEPRECATED_BEFORE=0x060400)
