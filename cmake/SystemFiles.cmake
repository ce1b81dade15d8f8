# What a Linux system expects beside the two programs: their manual pages,
# bash completion for vellum-cli, AppStream metadata for software centres,
# and the package's copyright and changelog. Manual pages and the changelog
# are installed compressed (gzip -9n: no name, no time stamp, so that two
# builds give the same package).
if(WIN32)
  return()
endif()

find_program(VELLUM_GZIP gzip)
if(NOT VELLUM_GZIP)
  message(WARNING "gzip not found: manual pages and the changelog are not installed")
  return()
endif()

set(VELLUM_SYSTEM_DATA ${PROJECT_SOURCE_DIR}/data)
set(VELLUM_COMPRESSED)

# Compresses source (after putting the version into it) to <binary dir>/name.gz.
function(vellum_gzip source name)
  set(plain ${PROJECT_BINARY_DIR}/system-files/${name})
  configure_file(${source} ${plain} @ONLY)
  add_custom_command(OUTPUT ${plain}.gz
                     COMMAND ${VELLUM_GZIP} -9nkf ${plain}
                     DEPENDS ${plain}
                     COMMENT "Compressing ${name}")
  set(VELLUM_COMPRESSED ${VELLUM_COMPRESSED} ${plain}.gz PARENT_SCOPE)
endfunction()

set(VELLUM_MANUAL_PAGES vellum-cli)
if(VELLUM_BUILD_GUI)
  list(APPEND VELLUM_MANUAL_PAGES vellum)
endif()
foreach(page IN LISTS VELLUM_MANUAL_PAGES)
  vellum_gzip(${VELLUM_SYSTEM_DATA}/man/${page}.1 ${page}.1)
  install(FILES ${PROJECT_BINARY_DIR}/system-files/${page}.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

vellum_gzip(${VELLUM_SYSTEM_DATA}/debian/changelog changelog)
add_custom_target(vellum_system_files ALL DEPENDS ${VELLUM_COMPRESSED})

set(VELLUM_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/vellum)
install(FILES ${PROJECT_BINARY_DIR}/system-files/changelog.gz
              ${VELLUM_SYSTEM_DATA}/debian/copyright
        DESTINATION ${VELLUM_DOCDIR})

install(FILES ${VELLUM_SYSTEM_DATA}/completion/vellum-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vellum-cli)

if(VELLUM_BUILD_GUI)
  install(FILES ${VELLUM_SYSTEM_DATA}/org.vellum.Vellum.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endif()
