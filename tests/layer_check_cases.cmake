# Runs check_layer_includes.cmake over small made-up trees: each tree either
# keeps to the layers or breaks them in one way, and the check must say so.
# Run as: cmake -DCHECKER=<check_layer_includes.cmake> -DWORK_DIR=<dir> -P layer_check_cases.cmake
cmake_minimum_required(VERSION 3.25)

# case name | file | its #include lines (comma-separated) | expected message, "" for a pass
set(cases
  "clean|render/draw.cpp|GL/gl.h,GL/glu.h,platform/gl_surface.h,render/draw.h|"
  "clean_shell|shell/form.cpp|FL/Fl.H,platform/gl_window.h,render/draw.h|"
  "fltk_in_render|render/draw.cpp|FL/Fl.H|render may not include FL/Fl.H"
  "fltk_through_header_in_render|render/draw.cpp|platform/gl_window.h|render may not include FL/Fl_Gl_Window.H \\(through platform/gl_window.h\\)"
  "gl_in_shell|shell/form.cpp|GL/gl.h|shell may not include GL/gl.h"
  "fltk_gl_in_shell|shell/form.cpp|FL/gl.h|shell may not include FL/gl.h"
  "gl_through_header_in_shell|shell/form.cpp|render/raw_gl.h|shell may not include GL/gl.h \\(through render/raw_gl.h\\)"
  "gl_in_infra|infra/log.h|GL/gl.h|infra may not include GL/gl.h"
  "fltk_in_simulation|simulation/game.cpp|FL/Fl_Window.H|simulation may not include FL/Fl_Window.H"
  "glu_in_control|control/net.cpp|GL/glu.h|control may not include GL/glu.h"
  "x11_in_render|render/draw.cpp|X11/Xlib.h|render may not include X11/Xlib.h"
  "layer_upward|simulation/game.cpp|render/draw.h|simulation may not include render/draw.h"
)

function(write_tree dir)
  file(REMOVE_RECURSE "${dir}")
  file(WRITE "${dir}/platform/gl_surface.h" "#pragma once\n#include <string>\n")
  file(WRITE "${dir}/platform/gl_window.h" "#pragma once\n#include <FL/Fl_Gl_Window.H>\n#include \"platform/gl_surface.h\"\n")
  file(WRITE "${dir}/render/draw.h" "#pragma once\n#include \"platform/gl_surface.h\"\n")
  file(WRITE "${dir}/render/raw_gl.h" "#pragma once\n#include <GL/gl.h>\n")
  file(WRITE "${dir}/infra/errors.h" "#pragma once\n")
endfunction()

set(failed "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 file)
  list(GET fields 2 includes)
  list(LENGTH fields count)
  set(expected "")
  if(count GREATER 3)
    list(GET fields 3 expected)
  endif()
  set(dir "${WORK_DIR}/${name}")
  write_tree("${dir}")
  string(REPLACE "," ";" includes "${includes}")
  set(text "")
  foreach(header IN LISTS includes)
    if(header MATCHES "^(infra|simulation|control|platform|render|shell)/")
      string(APPEND text "#include \"${header}\"\n")
    else()
      string(APPEND text "#include <${header}>\n")
    endif()
  endforeach()
  file(WRITE "${dir}/${file}" "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${dir} -P ${CHECKER}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(expected STREQUAL "")
    if(NOT result EQUAL 0)
      list(APPEND failed "${name}: expected a pass, got:\n${err}")
    endif()
  elseif(result EQUAL 0)
    list(APPEND failed "${name}: expected \"${expected}\", the check passed")
  elseif(NOT err MATCHES "${expected}")
    list(APPEND failed "${name}: expected \"${expected}\", got:\n${err}")
  endif()
  file(REMOVE_RECURSE "${dir}")
endforeach()

if(failed)
  list(JOIN failed "\n" text)
  message(FATAL_ERROR "${text}")
endif()
list(LENGTH cases n)
message(STATUS "Layer check: ${n} made-up trees judged as expected")
