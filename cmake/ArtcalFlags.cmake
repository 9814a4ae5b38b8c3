# One set of compile flags for every target of the project.
add_library(artcal_flags INTERFACE)
target_compile_options(artcal_flags INTERFACE -Wall -Wextra -pedantic)
target_compile_definitions(artcal_flags INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_CONTEXTLESS_CONNECT
  QT_DISABLE_DEPRECATED_BEFORE=0x060400
  ARTCAL_VERSION="${PROJECT_VERSION}")
if(ARTCAL_SANITIZE)
  target_compile_options(artcal_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(artcal_flags INTERFACE -fsanitize=address,undefined)
endif()
