# The libraries of Windows the program imports that are not among the
# system's KnownDLLs are delay-loaded: winmm, msimg32 and comctl32 (the
# program asks for no version-6 common controls, so no side-by-side copy is
# chosen either). Windows looks for such a library in the program's own
# folder first; delay-loaded, none is named in the import table, and each is
# loaded at the first call of one of its functions through the program's
# load hook (app/delay_load.cpp), which takes the system folder's copy.
#
# One link library per DLL, written by dlltool from cmake/delay/<dll>.def,
# the functions the program calls (a function missing there fails the link),
# as the target skorvel_delayed_<dll>. The target skorvel_delay_load brings
# an executable the hook and the list of the DLLs' names (see
# app/delay_load.h).
set(delayed_imports winmm msimg32 comctl32)
set(delay_folder ${CMAKE_BINARY_DIR}/delay-imports)
file(MAKE_DIRECTORY ${delay_folder})
foreach(library ${delayed_imports})
    set(def ${CMAKE_SOURCE_DIR}/cmake/delay/${library}.def)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(READ ${def} exports)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        # x86-64 has one calling convention and no size suffixes.
        string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
    endif()
    file(WRITE ${delay_folder}/${library}.def "${exports}")
    set(archive ${delay_folder}/lib${library}_delay.a)
    execute_process(
        COMMAND ${SKORVEL_DLLTOOL} --kill-at --input-def ${library}.def
                --output-delaylib ${archive} --temp-prefix ${library}_delay
        WORKING_DIRECTORY ${delay_folder} RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dlltool could not write ${archive}")
    endif()
    add_library(skorvel_delayed_${library} INTERFACE)
    target_link_libraries(skorvel_delayed_${library} INTERFACE ${archive})
endforeach()

list(TRANSFORM delayed_imports REPLACE "^(.+)$" "L\"\\1.dll\"" OUTPUT_VARIABLE names)
list(JOIN names "," names)
add_library(skorvel_delay_load INTERFACE)
target_sources(skorvel_delay_load INTERFACE ${CMAKE_SOURCE_DIR}/app/delay_load.cpp)
target_compile_definitions(skorvel_delay_load INTERFACE "SKORVEL_DELAYED_IMPORTS=${names}")
target_link_libraries(skorvel_delay_load INTERFACE skorvel_platform)
