# Install rules for the portable folder: the program, its library, the
# launcher, desktop entry, icon and owner's README at the top; with
# VANTRY_BUNDLE also the Qt libraries and xcb plugin (lib/, plugins/) and the
# interface font (fonts/), found through $ORIGIN and qt.conf. CPack packs the
# folder as Vantry-<version>-linux-x86_64.tar.gz with one top folder Vantry/.

# The program keeps its archive beside itself, so it is installed as a folder
# its owner can write to and carry, never spread over /usr/local.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX ${CMAKE_SOURCE_DIR}/dist/Vantry CACHE PATH "The program folder" FORCE)
endif()

option(VANTRY_BUNDLE "Install the Qt libraries, xcb plugin and font beside the program" ON)

set(pack ${CMAKE_SOURCE_DIR}/packaging)
install(TARGETS Vantry RUNTIME DESTINATION .)
install(TARGETS Quenta LIBRARY DESTINATION . NAMELINK_SKIP)
install(PROGRAMS ${pack}/Vantry.sh DESTINATION .)
install(FILES ${pack}/Vantry.svg ${pack}/Vantry.png DESTINATION .)
configure_file(${pack}/README.txt ${CMAKE_BINARY_DIR}/packaging/README.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/README.txt DESTINATION .)

if(VANTRY_BUNDLE)
  find_package(Qt6 REQUIRED COMPONENTS Gui)
  if(NOT TARGET Qt6::QXcbIntegrationPlugin)
    find_package(Qt6QXcbIntegrationPlugin REQUIRED CONFIG PATHS ${Qt6Gui_DIR} NO_DEFAULT_PATH)
  endif()
  # DT_RPATH rather than DT_RUNPATH: it also serves the libraries' own
  # dependencies and the plugin Qt loads, so the bundled copies win everywhere.
  set_target_properties(Vantry PROPERTIES INSTALL_RPATH "$ORIGIN/lib")
  target_link_options(Vantry PRIVATE -Wl,--disable-new-dtags)
  install(FILES ${pack}/qt.conf DESTINATION .)

  set(font_dir /usr/share/fonts/opentype/ipafont-gothic)
  set(font_doc /usr/share/doc/fonts-ipafont-gothic)
  if(NOT EXISTS ${font_dir}/ipagp.ttf)
    # Building needs no font; installing the folder does.
    message(WARNING "Installing the portable folder needs the Debian package fonts-ipafont-gothic")
  endif()
  install(FILES ${font_dir}/ipagp.ttf DESTINATION fonts)
  install(FILES ${font_doc}/copyright DESTINATION fonts RENAME IPA_Font_License.txt)

  install(CODE "
    include(\"${CMAKE_SOURCE_DIR}/cmake/BundleRuntime.cmake\")
    vantry_bundle_runtime(\"$<TARGET_FILE:Vantry>\" \"$<TARGET_FILE:Qt6::QXcbIntegrationPlugin>\"
                          \"\${CMAKE_INSTALL_PREFIX}\")
  ")
endif()

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME Vantry)
set(CPACK_PACKAGE_VENDOR Vantry)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Vantry-${PROJECT_VERSION}-linux-x86_64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /Vantry)
set(CPACK_STRIP_FILES ON)
include(CPack)
