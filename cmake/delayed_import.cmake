# yx_delayed_import(TARGET DLL NAME [NAME ...])
# An import library whose functions load DLL at their first call instead of
# at the program's start. Linked before the DLL's own import library, it takes
# those functions; the rest still come from there. 64-bit only: the 32-bit
# stubs binutils makes jump to address 0 under Wine (checked with a program
# calling one), so the 32-bit build imports the DLL as usual.
function(yx_delayed_import target dll)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_library(${target} INTERFACE)
    return()
  endif()
  list(JOIN ARGN "\n" exports)
  set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.def)
  set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${target}.a)
  file(WRITE ${def}.in "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
  configure_file(${def}.in ${def} COPYONLY)
  add_custom_command(OUTPUT ${lib} COMMAND ${CMAKE_DLLTOOL} --input-def ${def}
                     --output-delaylib ${lib} DEPENDS ${def} VERBATIM)
  add_custom_target(${target}_lib DEPENDS ${lib})
  add_library(${target} STATIC IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(${target} ${target}_lib)
endfunction()
