# Run at install time: copies the shared libraries the program, the xcb
# plugin and the input-method plugins need, less the system's own, into lib/,
# and the plugins into plugins/platforms/ and plugins/platforminputcontexts/. Each library is copied as a plain file under the name
# the loader asks for, so the folder holds no links (FAT drives have none);
# the licence of each goes to licences/.

# What every desktop already has stays out: the C and C++ runtime and the
# base system, the X11 client and GL dispatch libraries (the GL driver must
# match the machine), and fontconfig with FreeType.
set(VANTRY_SYSTEM_LIBRARIES
  "^ld-linux" "^libc\\.so" "^libm\\.so" "^libdl\\.so" "^libpthread\\.so" "^librt\\.so"
  "^libresolv\\.so" "^libstdc\\+\\+\\.so" "^libgcc_s\\.so"
  "^libz\\.so" "^libzstd\\.so" "^liblzma\\.so" "^liblz4\\.so" "^libbz2\\.so" "^libmd\\.so"
  "^libbsd\\.so" "^libuuid\\.so" "^libpcre2-8\\.so" "^libsystemd\\.so" "^libcap\\.so"
  "^libgcrypt\\.so" "^libgpg-error\\.so" "^libselinux\\.so"
  "^libX11\\.so" "^libX11-xcb\\.so" "^libxcb\\.so" "^libxcb-render\\.so" "^libxcb-shm\\.so"
  "^libXau\\.so" "^libXdmcp\\.so" "^libXext\\.so" "^libXrender\\.so"
  "^libGL\\.so" "^libGLX\\.so" "^libGLdispatch\\.so" "^libEGL\\.so" "^libOpenGL\\.so"
  "^libfontconfig\\.so" "^libfreetype\\.so" "^libpng16\\.so" "^libexpat\\.so" "^libbrotli")

function(vantry_copy_plain source dest_dir)
  get_filename_component(name "${source}" NAME)
  get_filename_component(real "${source}" REALPATH)
  file(INSTALL FILES "${real}" DESTINATION "${dest_dir}" RENAME "${name}"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# The Debian package a file comes from, or "" (dpkg knows merged-/usr files
# under either name).
function(vantry_package_of file out)
  set(package "")
  string(REGEX REPLACE "^/usr/lib/" "/lib/" short "${file}")
  string(REGEX REPLACE "^/lib/" "/usr/lib/" long "${file}")
  foreach(path IN ITEMS "${file}" "${short}" "${long}")
    execute_process(COMMAND dpkg -S "${path}" OUTPUT_VARIABLE found ERROR_QUIET RESULT_VARIABLE failed)
    if(NOT failed AND found MATCHES "^([^:, ]+)")
      set(package "${CMAKE_MATCH_1}")
      break()
    endif()
  endforeach()
  set(${out} "${package}" PARENT_SCOPE)
endfunction()

# Each bundled library's licence: its package's copyright file, in licences/.
function(vantry_copy_licence library dest)
  get_filename_component(real "${library}" REALPATH)
  vantry_package_of("${real}" package)
  if(package STREQUAL "" OR NOT EXISTS "/usr/share/doc/${package}/copyright")
    message(WARNING "No licence found for ${library}")
    return()
  endif()
  file(INSTALL FILES "/usr/share/doc/${package}/copyright" DESTINATION "${dest}/licences"
       RENAME "${package}.txt" FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endfunction()

# The input methods Debian 12 ships for Qt 6: ibus and the compose plugin
# for dead keys (both from libqt6gui6), fcitx5 (fcitx5-frontend-qt6). Qt
# picks one by QT_IM_MODULE, as the desktop sets it.
set(VANTRY_INPUT_CONTEXT_PLUGINS
  libibusplatforminputcontextplugin.so libcomposeplatforminputcontextplugin.so
  libfcitx5platforminputcontextplugin.so)

function(vantry_bundle_runtime program xcb_plugin dest)
  get_filename_component(plugins "${xcb_plugin}" DIRECTORY)
  set(input_contexts "")
  foreach(name IN LISTS VANTRY_INPUT_CONTEXT_PLUGINS)
    set(plugin "${plugins}/../platforminputcontexts/${name}")
    if(EXISTS "${plugin}")
      get_filename_component(plugin "${plugin}" ABSOLUTE)
      list(APPEND input_contexts "${plugin}")
    else()
      # Without it that input method types Latin letters only.
      message(WARNING "Input-method plugin ${name} not found (the Debian package fcitx5-frontend-qt6 brings fcitx5's)")
    endif()
  endforeach()
  # The system's libraries are left out by name, before resolving, so what
  # only they need is not pulled in either.
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${program}"
    MODULES "${xcb_plugin}" ${input_contexts}
    RESOLVED_DEPENDENCIES_VAR resolved
    UNRESOLVED_DEPENDENCIES_VAR unresolved
    PRE_EXCLUDE_REGEXES ${VANTRY_SYSTEM_LIBRARIES})
  if(unresolved)
    message(FATAL_ERROR "Libraries not found: ${unresolved}")
  endif()
  foreach(library IN LISTS resolved)
    vantry_copy_plain("${library}" "${dest}/lib")
    vantry_copy_licence("${library}" "${dest}")
  endforeach()
  vantry_copy_plain("${xcb_plugin}" "${dest}/plugins/platforms")
  foreach(plugin IN LISTS input_contexts)
    vantry_copy_plain("${plugin}" "${dest}/plugins/platforminputcontexts")
    vantry_copy_licence("${plugin}" "${dest}")
  endforeach()
endfunction()
