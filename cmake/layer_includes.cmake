# Includes follow the layers as calls do (model <- lib <- app <- edit3d, edit2d, scene, and
# inside lib framework <- media <- draw <- render):
# a source or header that includes a header of a layer above its own, or of a neighbouring
# editor, fails this check. app/winmain_win.cpp is the program itself and, with
# app/winmain_win.h (the editors' installation it shares with the tests), may include them all.
# Run as: cmake -DROOT=<source tree> -P layer_includes.cmake
set(ABOVE_model "lib|app|edit3d|edit2d|scene")
set(ABOVE_lib "app|edit3d|edit2d|scene")
set(ABOVE_app "edit3d|edit2d|scene")
set(ABOVE_edit3d "edit2d|scene")
set(ABOVE_edit2d "edit3d|scene")
set(ABOVE_scene "edit3d|edit2d")
set(bad "")
# Adds to `bad` every include of the files that names a folder matching `above`
# (a path prefix, then one of the alternatives).
function(bad_includes files above)
  foreach(f ${files})
    if(f MATCHES "app/winmain_win\\.(cpp|h)$")
      continue()
    endif()
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"${above}/")
    foreach(l ${lines})
      file(RELATIVE_PATH rel ${ROOT} ${f})
      list(APPEND bad "${rel}: ${l}")
    endforeach()
  endforeach()
  set(bad "${bad}" PARENT_SCOPE)
endfunction()
foreach(layer model lib app edit3d edit2d scene)
  file(GLOB_RECURSE files ${ROOT}/${layer}/*.cpp ${ROOT}/${layer}/*.h)
  bad_includes("${files}" "(${ABOVE_${layer}})")
endforeach()
# Inside the library the folders include in one direction too:
# framework <- media <- draw <- render.
set(ABOVE_lib_framework "media|draw|render")
set(ABOVE_lib_media "draw|render")
set(ABOVE_lib_draw "render")
foreach(folder framework media draw)
  file(GLOB files ${ROOT}/lib/${folder}/*.cpp ${ROOT}/lib/${folder}/*.h)
  bad_includes("${files}" "lib/(${ABOVE_lib_${folder}})")
endforeach()
if(bad)
  list(JOIN bad "\n" text)
  message(FATAL_ERROR "Includes from a layer above:\n${text}")
endif()
