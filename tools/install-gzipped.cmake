# velmiro_install_gzipped(<file> <destination> [DEPENDS <target-or-file>...])
# Installs <file> as <destination>/<name>.gz, compressed as Debian wants it: gzip -9, and
# -n so that no name or time stamp makes two builds differ. <file> may be made at build
# time; DEPENDS names what makes it. Manual pages and the changelog go through here.
# Any CMakeLists can include this file, whatever order the folders are added in.
# Windows has neither gzip nor a place for these files, so there it installs nothing.
include_guard(GLOBAL)

if(UNIX)
    find_program(VELMIRO_GZIP gzip REQUIRED)
endif()

function(velmiro_install_gzipped file destination)
    if(NOT UNIX)
        return()
    endif()
    cmake_parse_arguments(PARSE_ARGV 2 arg "" "" DEPENDS)
    get_filename_component(name ${file} NAME)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/gz)
    add_custom_command(OUTPUT ${dir}/${name}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
        COMMAND ${CMAKE_COMMAND} -E copy ${file} ${dir}/${name}
        COMMAND ${VELMIRO_GZIP} -9 -n -f ${dir}/${name}
        DEPENDS ${file} ${arg_DEPENDS}
        VERBATIM)
    string(MAKE_C_IDENTIFIER "gzip_${name}" target)
    add_custom_target(${target} ALL DEPENDS ${dir}/${name}.gz)
    install(FILES ${dir}/${name}.gz DESTINATION ${destination})
endfunction()
