# Which folders a folder's sources may include from (its own always): the
# layering the libraries' links follow, drawn in the README's layout. An
# include across any other edge fails the build, so the layering is checked,
# not only agreed. Keep this table, the links and the README in step.
set(YX_INCLUDE_EDGES
  "base:"
  "win:base"
  "catalog:base"
  "settings:base,win"
  "log:base,win"
  "backup:base,win,settings,log,catalog,lha/core,lha/win"
  "run:base,win,settings,log,backup"
  "ui:base,win"
  "app:base,win,settings,log,backup,run,ui"
  "schedule:base,win,settings,ui"
  "restore:base,win,settings,log,catalog,backup,run,ui,lha/core,lha/win"
  "lha/core:base"
  "lha/win:base,win,lha/core"
  "lha/dll:lha/win")

if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
  # cmake -DROOT=<source tree> -DSTAMP=<file> -P include_edges.cmake
  set(faults "")
  foreach(edge IN LISTS YX_INCLUDE_EDGES)
    string(REPLACE ":" ";" parts "${edge}")
    list(GET parts 0 folder)
    list(LENGTH parts n)
    set(allowed "${folder}")
    if(n GREATER 1)
      list(GET parts 1 targets)
      string(REPLACE "," ";" targets "${targets}")
      list(APPEND allowed ${targets})
    endif()
    if(folder MATCHES "^lha/")
      set(dir "${ROOT}/${folder}")
    else()
      set(dir "${ROOT}/src/${folder}")
    endif()
    file(GLOB files "${dir}/*.cpp" "${dir}/*.h" "${dir}/*.c")
    foreach(file IN LISTS files)
      file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*/")
      foreach(line IN LISTS lines)
        string(REGEX REPLACE "^[^\"]*\"([^\"]*)/[^/\"]*\".*$" "\\1" included "${line}")
        if(included IN_LIST allowed)
          continue()
        endif()
        file(RELATIVE_PATH rel "${ROOT}" "${file}")
        string(APPEND faults "  ${rel}: ${line} (${folder} may include only ${allowed})\n")
      endforeach()
    endforeach()
  endforeach()
  if(faults)
    message(FATAL_ERROR "Includes across a forbidden edge:\n${faults}")
  endif()
  file(TOUCH "${STAMP}")
  return()
endif()

# Checked whenever a source of a folder changes, before anything links.
file(GLOB_RECURSE yx_edge_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/src/*.cpp ${PROJECT_SOURCE_DIR}/src/*.h
     ${PROJECT_SOURCE_DIR}/lha/*.cpp ${PROJECT_SOURCE_DIR}/lha/*.h ${PROJECT_SOURCE_DIR}/lha/*.c)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/include_edges.stamp
                   COMMAND ${CMAKE_COMMAND} -DROOT=${PROJECT_SOURCE_DIR}
                           -DSTAMP=${CMAKE_BINARY_DIR}/include_edges.stamp
                           -P ${CMAKE_CURRENT_LIST_FILE}
                   DEPENDS ${yx_edge_sources} ${CMAKE_CURRENT_LIST_FILE}
                   COMMENT "Checking the include edges between folders" VERBATIM)
add_custom_target(yx_include_edges ALL DEPENDS ${CMAKE_BINARY_DIR}/include_edges.stamp)
