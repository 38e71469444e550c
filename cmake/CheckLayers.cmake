# Fails when a source file includes a header across a layer it must not reach.
# Run as: cmake -DSOURCE_DIR=<top folder> [-DSTAMP=<file>] -P CheckLayers.cmake
# docs/architecture.md draws the layers this table encodes.
cmake_minimum_required(VERSION 3.25)

# The folders each folder's code may include from (its own always).
set(may_include_imaging  "")
set(may_include_media    "")
set(may_include_platform "")
set(may_include_app      "platform;media;imaging")
set(may_include_transfer "app;platform;media")
set(may_include_library  "app;platform;media;imaging")
set(may_include_vidlark-probe "media;imaging")

# The plain libraries build without Qt or POSIX: besides their own headers
# they may include the C++ standard library (lower-case names without an
# extension), these C headers, zlib, libjpeg and the compiler's vector
# intrinsics.
set(plain_folders imaging media)
set(plain_headers assert.h errno.h limits.h math.h setjmp.h stddef.h stdint.h
                  stdio.h stdlib.h string.h zlib.h jpeglib.h jerror.h emmintrin.h immintrin.h)

set(top_folders app bench docs fuzz imaging library media platform tests tools transfer)
set(checked_folders imaging media platform app transfer library tools/vidlark-probe)

set(violations "")
foreach(folder IN LISTS checked_folders)
  get_filename_component(layer ${folder} NAME)
  file(GLOB_RECURSE files "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]*)[>\"].*$" "\\1" header "${line}")
      if(line MATCHES "include[ \t]*\"")
        string(REGEX MATCH "^[^/]+" reached "${header}")
        if(reached IN_LIST top_folders AND NOT header MATCHES "^${folder}/")
          if(reached STREQUAL "tools" OR NOT reached IN_LIST may_include_${layer})
            list(APPEND violations "${shown}: includes ${header}")
          endif()
        endif()
      elseif(layer IN_LIST plain_folders)
        if(NOT header MATCHES "^[a-z_]+$" AND NOT header IN_LIST plain_headers)
          list(APPEND violations "${shown}: includes <${header}> (plain code: no Qt, no POSIX)")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Layer violations (see docs/architecture.md):\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
