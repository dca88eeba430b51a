# The libclang checks of tools/hookcheck in the build: every build kind runs both, on one
# parse, as part of ALL:
#   - writes: a write to a shared record from a file outside its writers, through any name,
#     pointer, reference or call, fails the build (tools/hookcheck.allow: none let pass);
#   - reads: a read of what a HookCtx carries within the hooks' reach (their count against
#     tools/hookcheck.expect), or in any other editor function unless tools/hookcheck.reads
#     lists it, fails the build.
# It reruns only when a product source, the tool or one of its lists changes, and then parses
# only the files whose bytes (or product headers) changed. The findings do not depend on the
# build kind, so every kind shares one cache (HOOKCHECK_CACHE, beside the build folders). The
# native build's tests run both checks on the fixture tree tests/data/hookcheck.
set(HOOKCHECK_PYTHON /usr/bin/python3)
set(HOOKCHECK ${CMAKE_SOURCE_DIR}/tools/hookcheck)
set(HOOKCHECK_CACHE ${CMAKE_SOURCE_DIR}/build/hookcheck CACHE PATH "tools/hookcheck's findings per source file")
execute_process(COMMAND ${HOOKCHECK_PYTHON} -c "import clang.cindex; clang.cindex.Index.create()"
                RESULT_VARIABLE hookcheck_rc OUTPUT_QUIET ERROR_QUIET)
if(NOT hookcheck_rc EQUAL 0)
  message(FATAL_ERROR "The build's record check (tools/hookcheck) needs the clang Python bindings for "
                      "${HOOKCHECK_PYTHON}: python3-clang-14 and libclang1-14 are missing. Run tools/setup.")
endif()
set(hookcheck_inputs "")
foreach(d ${LAYERS})
  file(GLOB_RECURSE s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/*.cpp ${CMAKE_SOURCE_DIR}/${d}/*.h)
  list(APPEND hookcheck_inputs ${s})
endforeach()
set(hookcheck_stamp ${CMAKE_BINARY_DIR}/hookcheck/checks.stamp)
set(hookcheck_lists ${CMAKE_SOURCE_DIR}/tools/hookcheck.allow ${CMAKE_SOURCE_DIR}/tools/hookcheck.expect
    ${CMAKE_SOURCE_DIR}/tools/hookcheck.reads)
add_custom_command(OUTPUT ${hookcheck_stamp}
  COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} writes reads --root ${CMAKE_SOURCE_DIR} --cache ${HOOKCHECK_CACHE}
          --allow ${CMAKE_SOURCE_DIR}/tools/hookcheck.allow --expect ${CMAKE_SOURCE_DIR}/tools/hookcheck.expect
          --read-allow ${CMAKE_SOURCE_DIR}/tools/hookcheck.reads --quiet --stamp ${hookcheck_stamp}
  DEPENDS ${hookcheck_inputs} ${HOOKCHECK} ${hookcheck_lists}
  COMMENT "Checking the reads of what hooks are handed and the writes to the shared records (tools/hookcheck)"
  VERBATIM)
add_custom_target(record_writes_check ALL DEPENDS ${hookcheck_stamp})

if(BUILD_KIND STREQUAL "native")
  # Both checks on a tree that plants a read of each carried record within a hook's reach, reads
  # through a file's alias, an accessor app/ adds and a pointer, in hooks and in a function no
  # hook reaches, and a stray write of each form (tests/data/hookcheck/README).
  set(fix ${CMAKE_SOURCE_DIR}/tests/data/hookcheck)
  add_test(NAME hookcheck_reads_refuses COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} reads --root ${fix}
           --cache ${CMAKE_BINARY_DIR}/hookcheck_fixture --expect ${fix}/reads.expect -j 3)
  add_test(NAME hookcheck_writes_refuses COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} writes --root ${fix}
           --cache ${CMAKE_BINARY_DIR}/hookcheck_fixture -j 3)
endif()
if(BUILD_KIND STREQUAL "native")
  set(reads "")
  foreach(r "edit2d/stray_win.cpp:7: Ed2D_WinHook  [(]Ed2D_WinHook[)]" "    edit2d/stray_win.cpp:7: g_Sel"
            "edit3d/hooks.cpp:4: Deep  [(]Deep <- Middle <- Ed3D_Hook[)]" "    edit3d/hooks.cpp:4: g_Sel"
            "edit3d/hooks.cpp:6: OnEach  [(]OnEach <- Ed3D_Hook[)]" "    edit3d/hooks.cpp:6: g_Mouse"
            "edit3d/hooks.cpp:9: Ed3D_Hook  [(]Ed3D_Hook[)]" "    edit3d/hooks.cpp:13: Current_Model3[(][)]"
            "    edit3d/hooks.cpp:14: View_CurrentLayout[(][)]" "    edit3d/hooks.cpp:15: g_Shell.g_Views"
            "    edit3d/hooks.cpp:16: g_Bone2Slots\\[0\\]" "    edit3d/hooks.cpp:16: g_Shell.g_PerspAngleX"
            "scene/plants.cpp:6: Scene_AliasHook  [(]Scene_AliasHook[)]" "    scene/plants.cpp:6: g_Sel through s_Sel"
            "scene/plants.cpp:7: Scene_AccessorHook  [(]Scene_AccessorHook[)]" "    scene/plants.cpp:7: App_Slot[(][)]"
            "scene/plants.cpp:8: Scene_PointerHook  [(]Scene_PointerHook[)]" "    scene/plants.cpp:8: App_Slot[(][)] through s_SlotOf"
            "hookcheck reads: 9 functions take a HookCtx, 6 of them reach a read of what it carries; 7 functions within the hooks' reach read it, 11 reads[^\n]*"
            "hookcheck reads: editor functions no hook reaches that read it:"
            "  edit2d/stray.cpp:15: Stray g_Mouse" "  edit2d/stray.cpp:19: Stray g_Sel" "  edit2d/stray.cpp:25: Stray g_Shell.g_Views"
            "  edit2d/stray_win.cpp:5: StrayWin g_Mouse"
            "  edit3d/hooks.cpp:23: Ed3D_Unreached g_Mouse" "  edit3d/hooks.cpp:23: Ed3D_Unreached g_Sel"
            "  scene/plants.cpp:10: Scene_Dialog App_Slot[(][)]" "  scene/plants.cpp:10: Scene_Dialog App_Slot[(][)] through s_SlotOf"
            "  scene/plants.cpp:10: Scene_Dialog g_Sel through s_Sel"
            "hookcheck reads: 9 reads in editor functions no hook reaches")
    string(APPEND reads "${r}\n")
  endforeach()
  # Within the reach (lines "file:line: function  (path)" and "    file:line: what"): not an
  # unreached function, a shell service, a hook that reads only its context, the shell's code.
  set_tests_properties(hookcheck_reads_refuses PROPERTIES
    PASS_REGULAR_EXPRESSION "${reads}"
    FAIL_REGULAR_EXPRESSION "expects|Unreached  [(]|App_Service|CleanHook|ResetCamera|\nedit3d/hooks.cpp:2[0-9]|    edit3d/hooks.cpp:2[0-9]|owner.cpp|\nedit2d/stray.cpp|    edit2d/stray.cpp|Scene_Dialog  [(]")
  set(writes "")
  foreach(w "14: g_Mouse.g_MouseX, assignment" "16: g_Mouse.g_MouseY, assignment"
            "17: g_Mouse.g_MouseX, call swap" "17: g_Mouse.g_MouseY, call swap"
            "18: g_Shell.g_Playing, call Fill" "19: g_Sel [(]the whole record[)], call memset"
            "20: g_Mouse.g_Name, call memcpy" "21: g_Mouse.g_MouseX, pointer or reference"
            "22: g_Sel.g_CurSlot, call Touch" "23: g_Sel [(]the whole record[)], assignment"
            "24: g_Mouse.g_MouseY, increment" "25: g_Shell.g_Views, assignment"
            "26: g_Mouse.g_Name, call Name" "27: g_Mouse.g_MouseX, assignment"
            "28: g_Sel.g_Flags, assignment" "29: g_Sel.g_Flags, assignment" "30: g_Sel.g_Flags, call memset"
            "44: g_Mouse.g_MouseY, returned pointer or reference")
    string(APPEND writes "edit2d/stray.cpp:${w} [^\n]*\n")
  endforeach()
  string(APPEND writes "edit2d/stray_win.cpp:5: g_Mouse.g_MouseX, assignment [^\n]*\nhookcheck writes: 19 stray")
  set_tests_properties(hookcheck_writes_refuses PROPERTIES
    PASS_REGULAR_EXPRESSION "${writes}" FAIL_REGULAR_EXPRESSION "owner.cpp:|allowed.cpp:|hooks.cpp:|stray.cpp:(1[0-3]|15|3[1-9]|4[0-3]):")
endif()
if(BUILD_KIND STREQUAL "native")
  # The allowance lets the writes it lists pass, and names a line that matches no write.
  add_test(NAME hookcheck_writes_allow COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} writes --root ${fix}
           --allow ${fix}/allow.txt --cache ${CMAKE_BINARY_DIR}/hookcheck_fixture -j 3)
  set_tests_properties(hookcheck_writes_allow PROPERTIES
    PASS_REGULAR_EXPRESSION "4 writes allowed for now by [^\n]*allow.txt\n[^\n]*remove these lines:\n  edit2d/stray.cpp g_Sel.g_Cur2DSlot\n.*hookcheck writes: 15 stray"
    FAIL_REGULAR_EXPRESSION "stray.cpp:(28|29|30):|stray_win.cpp:5:")
endif()
if(BUILD_KIND STREQUAL "native")
  # The reads' allowance lets the reads outside the reach it lists pass, and names a line
  # that matches no read.
  add_test(NAME hookcheck_reads_allow COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} reads --root ${fix}
           --read-allow ${fix}/reads_allow.txt --quiet --cache ${CMAKE_BINARY_DIR}/hookcheck_fixture -j 3)
  set_tests_properties(hookcheck_reads_allow PROPERTIES
    PASS_REGULAR_EXPRESSION "remove these lines:\n  scene/plants.cpp Scene_Dialog g_Mouse\nhookcheck reads: 9 reads in editor functions no hook reaches, 2 of them listed"
    FAIL_REGULAR_EXPRESSION "Ed3D_Unreached g_Mouse\n|through s_SlotOf\n")
endif()
if(BUILD_KIND STREQUAL "native")
  # A HookCtx field the read check does not know stops it, naming the field.
  add_test(NAME hookcheck_reads_new_field COMMAND ${HOOKCHECK_PYTHON} ${HOOKCHECK} reads
           --root ${CMAKE_SOURCE_DIR}/tests/data/hookcheck_field)
  set_tests_properties(hookcheck_reads_new_field PROPERTIES
    PASS_REGULAR_EXPRESSION "HookCtx::frame carries which shared record[?]" FAIL_REGULAR_EXPRESSION "functions take a HookCtx")
endif()
