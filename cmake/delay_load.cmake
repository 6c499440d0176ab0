# Delay-loaded imports: each DLL named loads at the program's first call into it rather
# than at its start. DIR/<dll>.def lists the functions the program calls; one missing
# there still links, through the ordinary import library, and brings its DLL back into
# start-up (`make dist` lists what the programs import at start). The libraries are
# linked whole, ahead of everything, so that their symbols win over the ordinary import
# libraries. The 64-bit build only: the 32-bit one would need decorated names, and only
# has to link.
function(torvane_delay_load target dir)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    return()
  endif()
  set(libs)
  foreach(dll ${ARGN})
    set(def ${dir}/${dll}.def)
    set(lib ${CMAKE_CURRENT_BINARY_DIR}/lib${dll}_delay.a)
    add_custom_command(OUTPUT ${lib}
      COMMAND ${TORVANE_TRIPLE}-dlltool --input-def ${def} --dllname ${dll}.dll
              --output-delaylib ${lib}
      DEPENDS ${def} VERBATIM)
    list(APPEND libs ${lib})
  endforeach()
  add_custom_target(${target}_delay_libs DEPENDS ${libs})
  add_dependencies(${target} ${target}_delay_libs)
  string(JOIN "," joined ${libs})
  target_link_options(${target} PRIVATE "LINKER:--whole-archive,${joined},--no-whole-archive")
  target_link_libraries(${target} PRIVATE delayimp)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${libs})
endfunction()
