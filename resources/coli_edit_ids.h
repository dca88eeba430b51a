// Ids of the collision editor's templates (coli_edit.rc). Shared by the templates and the
// editor's code (scene/coli_edit.h).
#pragma once

// Selector "COLI_SELECT_DLG": the edit target.
#define IDC_COLI_RANGE 1321
#define IDC_COLI_BOXES 1322
#define IDC_COLI_CIRCLES 1324

// Movement range "COLI_MAX_DLG".
#define IDC_COLI_MIN_X 1335
#define IDC_COLI_MAX_X 1336
#define IDC_COLI_MAX_Z 1337
#define IDC_COLI_MIN_Z 1338
#define IDC_COLI_MIN_Y 1339
#define IDC_COLI_APPLY 1340

// Box walls "COLI_BOX_DLG".
#define IDC_COLI_BOX_ADD 1011
#define IDC_COLI_BOX_NO 1012
#define IDC_COLI_BOX_X 1013
#define IDC_COLI_BOX_Z 1014
#define IDC_COLI_BOX_ANGLE 1015
#define IDC_COLI_BOX_SIZE 1016
#define IDC_COLI_BOX_MOVE 1023
#define IDC_COLI_BOX_ROTATE 1024
#define IDC_COLI_BOX_SCALE 1025
#define IDC_COLI_BOX_DUPLICATE 1026
#define IDC_COLI_BOX_DELETE 1027

// Circle walls "COLI_CIRCLE_DLG".
#define IDC_COLI_CIRCLE_NO 1325
#define IDC_COLI_CIRCLE_X 1326
#define IDC_COLI_CIRCLE_Z 1328
#define IDC_COLI_CIRCLE_SIZE 1329
#define IDC_COLI_CIRCLE_MOVE 1330
#define IDC_COLI_CIRCLE_SCALE 1331
#define IDC_COLI_CIRCLE_DUPLICATE 1332
#define IDC_COLI_CIRCLE_DELETE 1333
#define IDC_COLI_CIRCLE_ADD 1334

// Menu "MENU_COLI": its commands are all the shell's (shell_ids.h).
