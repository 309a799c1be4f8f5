# Run at install time: copies the shared libraries the program and the xcb
# plugin need, less the system's own, into lib/, and the plugin into
# plugins/platforms/. Each library is copied as a plain file under the name
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

function(vantry_bundle_runtime program xcb_plugin dest)
  # The system's libraries are left out by name, before resolving, so what
  # only they need is not pulled in either.
  file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES "${program}"
    MODULES "${xcb_plugin}"
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
endfunction()
