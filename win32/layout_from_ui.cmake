# Writes the window's layout as C++ data from the Qt Designer file, so that the Win32
# window stands on the same numbers as the Qt one without their being typed twice.
# cmake -DUI=frmVelmiro.ui -DOUT=frmVelmiro_layout.h -P layout_from_ui.cmake
# The .ui holds pixels at 96 dots per inch; the data is in twips, 15 to such a pixel.
cmake_minimum_required(VERSION 3.25)

file(READ "${UI}" ui)

# The few entities Designer writes, and what a C string literal must escape.
function(c_literal text out)
    string(REPLACE "&lt;" "<" text "${text}")
    string(REPLACE "&gt;" ">" text "${text}")
    string(REPLACE "&quot;" "\"" text "${text}")
    string(REPLACE "&apos;" "'" text "${text}")
    string(REPLACE "&amp;" "&" text "${text}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# A string property of one widget's own text, or "" when it has none.
function(string_property chunk property out)
    if(chunk MATCHES "<property name=\"${property}\">[ \n\t]*<string>([^<]*)</string>")
        c_literal("${CMAKE_MATCH_1}" literal)
    else()
        set(literal "\"\"")
    endif()
    set(${out} "${literal}" PARENT_SCOPE)
endfunction()

# A control's id, named as a dialog's are: IDC_ and its name in capitals.
function(id_of name out)
    string(TOUPPER "IDC_${name}" id)
    set(${out} ${id} PARENT_SCOPE)
endfunction()

string(FIND "${ui}" "<tabstops>" tabs_at)
string(SUBSTRING "${ui}" ${tabs_at} -1 tabs_part)
string(SUBSTRING "${ui}" 0 ${tabs_at} widgets_part)
string(REGEX MATCHALL "<tabstop>[A-Za-z0-9_]+</tabstop>" tabstops "${tabs_part}")
list(TRANSFORM tabstops REPLACE "</?tabstop>" "")

# Each "<widget" opens a widget; the "</widget>"s before the next one close as many.
set(starts "")
set(from 0)
while(TRUE)
    string(SUBSTRING "${widgets_part}" ${from} -1 rest)
    string(FIND "${rest}" "<widget " at)
    if(at EQUAL -1)
        break()
    endif()
    math(EXPR from "${from} + ${at}")
    list(APPEND starts ${from})
    math(EXPR from "${from} + 1")
endwhile()
string(LENGTH "${widgets_part}" end)
list(APPEND starts ${end})
list(LENGTH starts count)
math(EXPR last "${count} - 2")
set(chunks_count 0)
foreach(i RANGE ${last})
    math(EXPR next "${i} + 1")
    list(GET starts ${i} begin)
    list(GET starts ${next} stop)
    math(EXPR length "${stop} - ${begin}")
    string(SUBSTRING "${widgets_part}" ${begin} ${length} chunk_${i})
endforeach()

set(stack "")
set(rows "")
set(ids "")
set(window_done FALSE)
foreach(i RANGE ${last})
    set(chunk "${chunk_${i}}")
    if(NOT chunk MATCHES "^<widget class=\"([A-Za-z]+)\" name=\"([A-Za-z0-9_]+)\">")
        message(FATAL_ERROR "${UI}: a widget without class or name")
    endif()
    set(class ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    list(LENGTH stack depth)
    if(depth GREATER 0)
        list(GET stack -1 parent)
    else()
        set(parent "")
    endif()
    # A chunk ends where the next widget starts: what it holds is this widget's own.
    string(REGEX REPLACE "^<widget [^>]*>" "" own "${chunk}")
    if(NOT own MATCHES "<rect><x>([0-9]+)</x><y>([0-9]+)</y><width>([0-9]+)</width><height>([0-9]+)</height></rect>")
        message(FATAL_ERROR "${UI}: ${name} has no geometry")
    endif()
    foreach(i 1 2 3 4)
        math(EXPR twips${i} "${CMAKE_MATCH_${i}} * 15")
    endforeach()

    if(depth EQUAL 0)
        string_property("${own}" windowTitle title)
        set(window "${name}")
        set(window_width ${twips3})
        set(window_height ${twips4})
    else()
        # Positions relative to the parent, as Designer and Qt keep them.
        set(kind "${class}")
        string(REGEX REPLACE "^Q" "" kind "${kind}")
        string_property("${own}" text text)
        if(class STREQUAL "QGroupBox")
            string_property("${own}" title text)
        endif()
        string_property("${own}" toolTip tip)
        set(bold false)
        if(own MATCHES "<bold>true</bold>")
            set(bold true)
        endif()
        set(points 0)
        if(own MATCHES "<pointsize>([0-9]+)</pointsize>")
            set(points ${CMAKE_MATCH_1})
        endif()
        set(centred false)
        if(own MATCHES "Qt::AlignCenter")
            set(centred true)
        endif()
        set(sunken false)
        if(own MATCHES "QFrame::Sunken")
            set(sunken true)
        endif()
        set(buddy 0)
        if(own MATCHES "<property name=\"buddy\">[ \n\t]*<cstring>([A-Za-z0-9_]+)</cstring>")
            id_of(${CMAKE_MATCH_1} buddy)
        endif()
        list(FIND tabstops ${name} tab)
        set(frame_parent 0)
        if(NOT parent STREQUAL window)
            id_of(${parent} frame_parent)
        endif()
        id_of(${name} id)
        if(ids STREQUAL "")
            string(APPEND ids "    ${id} = 100,\n")
        else()
            string(APPEND ids "    ${id},\n")
        endif()
        string(APPEND rows "    {${id}, \"${name}\", Kind::${kind}, ${frame_parent}, ${twips1}, "
            "${twips2}, ${twips3}, ${twips4},\n     ${text}, ${tip}, ${bold}, ${points}, "
            "${centred}, ${sunken}, ${buddy}, ${tab}},\n")
    endif()
    list(APPEND stack ${name})
    string(REGEX MATCHALL "</widget>" closes "${chunk}")
    foreach(close IN LISTS closes)
        list(POP_BACK stack)
    endforeach()
endforeach()

get_filename_component(out_dir "${OUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
file(WRITE "${OUT}.new" "// Made by win32/layout_from_ui.cmake from ${window}.ui: do not edit.
#pragma once

namespace layout {

enum class Kind { GroupBox, Label, ComboBox, CheckBox, PushButton };

// Each control's id, in layout order from 100 on: clear of IDOK and IDCANCEL, which a
// dialog's Enter and Escape send.
enum ControlId : int {
${ids}};

// One control: lengths in twips relative to its parent, which is the window when
// `parent` is 0; `points` 0 means the window's size; `tab` is its place in the tab
// order, -1 for none; `buddy` the control a label names, 0 for none.
struct Control {
    ControlId id;
    const char* name;
    Kind kind;
    int parent;
    int left, top, width, height;
    const char* text;
    const char* toolTip;
    bool bold;
    int points;
    bool centred;
    bool sunken;
    int buddy;
    int tab;
};

inline constexpr const char* windowName = \"${window}\";
inline constexpr const char* title = ${title};
inline constexpr int clientWidth = ${window_width};
inline constexpr int clientHeight = ${window_height};

inline constexpr Control controls[] = {
${rows}};

}  // namespace layout
")
# Rewritten only when it changed: nothing that includes it is rebuilt for nothing.
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")
