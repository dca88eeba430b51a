// What the frame render is asked to draw: the view record of a view window and the per-view
// request the shell builds before each frame (the view, how its content is placed, which
// pieces are drawn at rest, and the scene and overlay calls).
//
// The library keeps no editor state: it asks the shell for the request through
// g_LibHooks.frameRequest when a frame starts and reads only that request while drawing.
#pragma once
#include "model/types.h"

struct HWND__;

// View kinds (ViewRecord::kind).
enum { VIEW_MAIN = 0, VIEW_FRONT = 1, VIEW_TOP = 2, VIEW_SIDE = 3, VIEW_PERS = 4 };

// One view of a layout.
struct ViewRecord {
  u32 inUse;            // 1 when the view exists in this layout
  u32 shown;            // 1 when the view has its own window (views 1..7)
  i32 x, y, w, h;       // window rectangle in screen coordinates
  u32 kind;             // VIEW_*
  u32 extra[11];        // kept in the settings file with the record
  HWND__ *window;       // Present destination (view 0: the main window)
  u32 created;
  u32 redraw;           // 1 when the view must be drawn again
  i32 wait;             // passes waited since last drawn
  i32 clientW, clientH; // client size; the render size of movie views of kind 4
  i32 centerX, centerY;
  f32 panX, panY, panZ;
  f32 zoom;
};

// Where the frame's viewport goes while the 3D passes and the scene call draw.
enum {
  FRAME_VIEWPORT_WHOLE = 0,   // the whole back buffer
  FRAME_VIEWPORT_CENTRED,     // 640x480 at the centre of the back buffer
  FRAME_VIEWPORT_PANNED,      // 640x480 at the centre of the desktop moved by the frame pan
};

// One view's request.
struct FrameRequest {
  const ViewRecord *view;     // the view drawn (null: none)
  u32 viewIndex;              // its place in its layout
  f32 framePanX, framePanY;   // pan of the layout's main view: moves the 640x480 frame
  f32 frameZoom;              // scale of the 2D frame's content about its top-left corner (0: 1)
  bool frame2D;               // 2D content is placed in a centred 640x480 frame
  bool movieStage;            // the movie stage (its present rectangles, see D3DApp_ChoosePresent)
  bool backgroundOnly;        // only the clear: no 3D passes, layers or text
  // In view-window mode only: the white outline of the 2D frame (its 640x480 at the frame
  // offset), and that of the 640x480 picture at the centre of the back buffer.
  bool outline2DFrame, outlineCentred;
  bool textWaits;             // in view-window mode the screen text waits for another view's frame
  u32 viewport;               // FRAME_VIEWPORT_*
  bool atRest;                // 3D models drawn at rest: no pose, rest edges
  bool poseOff;               // posed shapes unused in view windows (at rest, or the preview)
  bool objectsHidden;         // the 3D object sets are not drawn
  bool rest2D;                // 2D bone models drawn at their rest positions
  u32 selectedBone;           // bone whose weights are shown (0 = none)
  bool rightButtonHeld;       // right button held in a view (weight colours wait)
  void (*drawScene)(void);    // inside the scene, after the 3D passes
  void (*drawOverlay)(void);  // after the 2D layers, before the screen text
  void (*drawImages)(void);   // after the 2D bone and object models, before the overlay call
  // The message lines drawn at the bottom centre after the screen text: line i of
  // messageLines (null: none at i).
  i32 messageLines;
  const char *(*messageLine)(i32 i);
};

// The request of the frame being drawn. Outside a frame: the shell's request as of now
// (an empty one without a shell).
const FrameRequest *Frame_Current(void);
// Draws with req until Frame_End (the frame render and the present bracket their work).
void Frame_Begin(const FrameRequest *req);
void Frame_End(void);
// Asks the shell for the request of the view it draws now (empty without a shell).
void Frame_Ask(FrameRequest *out);
