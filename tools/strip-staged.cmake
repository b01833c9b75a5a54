# CPack runs this after staging the package's files and before packing them. Its own
# stripping calls strip with no options, which keeps the .comment and .note sections;
# here every program in bin/ loses them too, as Debian's own packaging tools do.
set(bin "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin")
file(GLOB programs "${bin}/*")
if(NOT programs)
    message(FATAL_ERROR "no program staged in ${bin}")
endif()
foreach(program IN LISTS programs)
    file(READ "${program}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46") # ELF; a script is left alone
        execute_process(COMMAND "${CPACK_VELMIRO_STRIP}" --strip-all
            --remove-section=.comment --remove-section=.note "${program}"
            COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()
