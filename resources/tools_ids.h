// Ids of the preview's render dialog and the sketch dialog. Shared by tools.rc and the code.
#pragma once

// "PREVIEW_RENDER_DLG"
#define IDC_RENDER_RUN 1318
#define IDC_RENDER_CLOSE 1319
#define IDC_RENDER_NAME 1320
// "SKETCH_DLG"
#define IDC_SKETCH_FRONT 1390
#define IDC_SKETCH_SHOW 1391
#define IDC_SKETCH_CLOSE 1392
#define IDC_SKETCH_TOP 1393
#define IDC_SKETCH_SIDE 1394
#define IDC_SKETCH_FRONT_NAME 1012
#define IDC_SKETCH_TOP_NAME 1013
#define IDC_SKETCH_SIDE_NAME 1014
