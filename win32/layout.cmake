# The window's layout as C++ data (frmVelmiro_layout.h), made from window/frmVelmiro.ui at
# configure time and again whenever the .ui changes. Included by whatever needs it: the
# Win32 window, its driver under wine, and the check of the data against uic on Linux.
if(NOT TARGET velmiro_layout)
    set(velmiro_ui ${PROJECT_SOURCE_DIR}/window/frmVelmiro.ui)
    set(velmiro_layout_dir ${PROJECT_BINARY_DIR}/layout)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -DUI=${velmiro_ui} -DOUT=${velmiro_layout_dir}/frmVelmiro_layout.h
            -P ${PROJECT_SOURCE_DIR}/win32/layout_from_ui.cmake
        COMMAND_ERROR_IS_FATAL ANY)
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${velmiro_ui} ${PROJECT_SOURCE_DIR}/win32/layout_from_ui.cmake)
    add_library(velmiro_layout INTERFACE)
    target_include_directories(velmiro_layout INTERFACE ${velmiro_layout_dir}
        ${PROJECT_SOURCE_DIR}/win32/include)
endif()
