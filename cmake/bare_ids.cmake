# Control and command ids have one source: the names of resources/*_ids.h. This check fails on
# - a control statement or menu item of a resources/*.rc template whose id is a number;
# - a number in code that is one of those ids (1000 and up) where an id goes: a case label, a
#   WM_COMMAND or MAKEWPARAM argument, the first or second argument of a ...Command(,
#   SetText(, GetText( or GetMenuState( call, the id argument of the GetDlgItem /
#   SetDlgItemText / CheckDlgButton / CheckRadioButton / Control( family, or the
#   (HMENU)(INT_PTR) id of a control made at run time.
# Numbers that are no resource id (a test's made-up command 40300) pass.
# Run as: cmake -DROOT=<source tree> -P bare_ids.cmake
cmake_minimum_required(VERSION 3.16)
set(bad "")

# The ids the headers define.
file(GLOB headers ${ROOT}/resources/*_ids.h)
set(ids "")
foreach(h ${headers})
  file(STRINGS ${h} defs REGEX "^#define[ \t]+[A-Z_0-9]+[ \t]+[0-9][0-9][0-9][0-9]+")
  foreach(d ${defs})
    string(REGEX REPLACE "^#define[ \t]+[A-Z_0-9]+[ \t]+([0-9]+).*" "\\1" v "${d}")
    list(APPEND ids ${v})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES ids)

# Templates: every control and menu item names its id.
set(with_text "PUSHBUTTON|DEFPUSHBUTTON|LTEXT|RTEXT|CTEXT|CHECKBOX|AUTOCHECKBOX|AUTORADIOBUTTON|RADIOBUTTON|CONTROL|GROUPBOX|MENUITEM")
set(id_first "EDITTEXT|COMBOBOX|LISTBOX|SCROLLBAR")
file(GLOB templates ${ROOT}/resources/*.rc)
foreach(f ${templates})
  file(STRINGS ${f} lines ENCODING UTF-8 REGEX
       "^[ \t]*((${with_text})[ \t]+(\"[^\"]*\"|[A-Z_]+)[ \t]*,|(${id_first}))[ \t]*[0-9]+[ \t]*(,|\\\\|$)")
  foreach(l ${lines})
    file(RELATIVE_PATH rel ${ROOT} ${f})
    list(APPEND bad "${rel}: ${l}")
  endforeach()
endforeach()

# Code: whole files, as a line may hold several statements.
set(at "(case[ \t]+|WM_COMMAND,[ \t]*|MAKEWPARAM\\([ \t]*|(Command[A-Za-z]*|SetText|GetText|MenuState)\\(([^,();]+,[ \t]*)?|(DlgItem[A-Za-z]*|DlgButton|RadioButton|Control)\\([^,();]+,[ \t]*|\\(INT_PTR\\)[ \t]*)")
foreach(dir model lib app edit3d edit2d scene tests bench tools)
  file(GLOB_RECURSE files ${ROOT}/${dir}/*.cpp ${ROOT}/${dir}/*.h)
  foreach(f ${files})
    file(READ ${f} text)
    string(REGEX MATCHALL "${at}[0-9][0-9][0-9][0-9]+" uses "${text}")
    foreach(u ${uses})
      string(REGEX MATCH "[0-9]+$" v "${u}")
      if(v IN_LIST ids)
        file(RELATIVE_PATH rel ${ROOT} ${f})
        list(APPEND bad "${rel}: ${u}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(bad)
  foreach(b ${bad})
    message("${b}")
  endforeach()
  message(FATAL_ERROR "Bare control or command ids above: use the names of resources/*_ids.h.")
endif()
