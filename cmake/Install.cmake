# Install rules and the Debian package. `cmake --install` puts the editor,
# vellum-cli, the desktop entry, the MIME package and the icons under the
# prefix, with the manual pages, completion and metadata of SystemFiles.cmake;
# `cpack -G DEB` packs the same files.
include(GNUInstallDirs)

if(TARGET vellum)
  install(TARGETS vellum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
if(TARGET vellum-cli)
  install(TARGETS vellum-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(VELLUM_BUILD_GUI)
  set(VELLUM_DATA ${PROJECT_SOURCE_DIR}/data)
  install(FILES ${VELLUM_DATA}/org.vellum.Vellum.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELLUM_DATA}/org.vellum.Vellum.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
  set(VELLUM_HICOLOR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  foreach(icon IN ITEMS "vellum;apps;org.vellum.Vellum" "vellum-document;mimetypes;application-x-vellum")
    list(GET icon 0 source)
    list(GET icon 1 context)
    list(GET icon 2 name)
    install(FILES ${VELLUM_DATA}/icons/${source}.svg
            DESTINATION ${VELLUM_HICOLOR}/scalable/${context} RENAME ${name}.svg)
    foreach(size 16 32)
      install(FILES ${VELLUM_DATA}/icons/${source}-${size}.png
              DESTINATION ${VELLUM_HICOLOR}/${size}x${size}/${context} RENAME ${name}.png)
    endforeach()
  endforeach()
endif()

include(cmake/SystemFiles.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellum)
set(CPACK_PACKAGE_VENDOR "Vellum")
# The project has no domain and so no mail address of its own; the default is
# reserved (RFC 2606), and whoever distributes the package gives a real one.
set(VELLUM_PACKAGE_CONTACT "The Vellum developers <vellum@vellum.invalid>"
    CACHE STRING "Maintainer of the Debian package: Name <address>")
set(CPACK_PACKAGE_CONTACT "${VELLUM_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
    "Vellum turns a text into a TI-85 calculator string file (.85s) laid out for\nthe Scrollet viewer, loads such files back, keeps its own .vlm documents and\nhas a character map for the calculator's characters. vellum-cli does the same\nconversions without a window.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
# Dependencies come from the libraries the programs link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
include(CPack)
