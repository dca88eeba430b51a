// The device settings dialog window on template 144 under Wine (driven modelessly), and the
// effect slots' single "ERROR" box per device reset through the real release hook.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "draw_device_win.h"
#include "lib/draw/target.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/settingsdlg_win.h"
#include "lib/render/effect_win.h"
#include "lib/render/modeldraw.h"
#include "lib/render/hlsl.h"

namespace {

u32 QCount(void *) { return 1; }
void QDesc(void *, u32, char *out, size_t n) { Str_Copy(out, n, "Wine Test Adapter"); }
const EnumDisplayMode kModes[] = {{640, 480, 60, FMT_X8R8G8B8}, {800, 600, 60, FMT_X8R8G8B8}, {800, 600, 75, FMT_X8R8G8B8}};
u32 QModeCount(void *, u32, u32 f) { return f == FMT_X8R8G8B8 ? 3 : 0; }
bool QModes(void *, u32, u32 f, u32 i, EnumDisplayMode *m) {
  if (f != FMT_X8R8G8B8 || i >= 3) return false;
  *m = kModes[i];
  return true;
}
bool QDisplay(void *, u32, EnumDisplayMode *m) { *m = {1280, 1024, 60, FMT_X8R8G8B8}; return true; }
bool QCaps(void *, u32, u32 type, EnumCaps *caps) {
  if (type != DEVTYPE_HAL) return false;
  memset(caps, 0, sizeof *caps);
  caps->deviceType = type;
  caps->presentationIntervals = PRESENT_INTERVAL_ONE;
  return true;
}
bool QType(void *, u32, u32, u32 af, u32 bf, bool) { return af == bf; }
bool QFormat(void *, u32, u32, u32, u32, u32, u32 f) { return f == FMT_D24S8 || f == FMT_X8R8G8B8; }
bool QMatch(void *, u32, u32, u32, u32, u32) { return true; }
bool QMs(void *, u32, u32, u32, bool, u32 type, u32 *q) {
  if (q) *q = 1;
  return type == 0;
}

std::vector<std::string> ComboItems(HWND dlg, int id) {
  std::vector<std::string> v;
  int n = (int)SendDlgItemMessageA(dlg, id, CB_GETCOUNT, 0, 0);
  for (int i = 0; i < n; i++) {
    char text[600] = {};
    SendDlgItemMessageA(dlg, id, CB_GETLBTEXT, i, (LPARAM)text);
    v.push_back(text);
  }
  return v;
}

TEST(SettingsDialogWin, TemplateControlsFollowTheCascade) {
  D3DQuery query{nullptr, QCount, QDesc, QModeCount, QModes, QDisplay, QCaps, QType, QFormat, QMatch, QMs};
  D3DEnumeration e;
  e.query = &query;
  e.usesDepthBuffer = true;
  ASSERT_EQ(D3DEnum_Enumerate(&e), (HResult)HRES_OK);
  const D3DAdapterRecord *a = D3DEnum_Adapter(&e, 0);
  const D3DDeviceRecord *d = (const D3DDeviceRecord *)a->devices.GetPtr(0);
  D3DSettings s{};
  s.windowed = true;
  for (u32 i = 0; i < d->combos.count; i++) {
    auto *c = (const D3DFormatCombo *)d->combos.GetPtr(i);
    (c->windowed ? s.windowedSet : s.fullscreenSet).combo = c;
  }
  s.windowedSet.adapter = s.fullscreenSet.adapter = a;
  s.windowedSet.device = s.fullscreenSet.device = d;
  s.windowedSet.displayMode = {1280, 1024, 60, FMT_X8R8G8B8};
  s.fullscreenSet.displayMode = {800, 600, 75, FMT_X8R8G8B8};
  D3DSettingsDialog_Construct(&g_SettingsDialog, &e, &s);
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECTDEVICE), nullptr,
                                D3DSettingsDialog_Proc, 0);
  ASSERT_NE(dlg, nullptr) << "template 144 missing";
  EXPECT_EQ(ComboItems(dlg, IDC_ADAPTER_COMBO), std::vector<std::string>{"Wine Test Adapter"});
  EXPECT_EQ(ComboItems(dlg, IDC_RESOLUTION_COMBO), std::vector<std::string>{"1280 by 1024"});
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_RESOLUTION_COMBO)));
  EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_WINDOW), BST_CHECKED);
  EXPECT_EQ(ComboItems(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO), std::vector<std::string>{"D3DFMT_D24S8"});

  // The user clicks "fullscreen", then picks 800 by 600: the rates of that size appear.
  SendDlgItemMessageA(dlg, IDC_FULLSCREEN, BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_RESOLUTION_COMBO)));
  EXPECT_EQ(ComboItems(dlg, IDC_RESOLUTION_COMBO), (std::vector<std::string>{"640 by 480", "800 by 600"}));
  EXPECT_EQ(ComboItems(dlg, IDC_REFRESHRATE_COMBO), (std::vector<std::string>{"60 Hz", "75 Hz"}));
  SendDlgItemMessageA(dlg, IDC_RESOLUTION_COMBO, CB_SETCURSEL, 0, 0);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_RESOLUTION_COMBO, CBN_SELCHANGE),
               (LPARAM)GetDlgItem(dlg, IDC_RESOLUTION_COMBO));
  EXPECT_EQ(ComboItems(dlg, IDC_REFRESHRATE_COMBO), std::vector<std::string>{"60 Hz"});
  EXPECT_FALSE(g_SettingsDialog.settings.windowed);
  EXPECT_EQ(g_SettingsDialog.settings.fullscreenSet.displayMode.width, 640u);
  EXPECT_TRUE(s.windowed);  // the caller's settings are untouched until it adopts the copy
  DestroyWindow(dlg);
}

// The pixels of a control as the screen shows them (the dialog kept on top).
std::vector<COLORREF> Shot(HWND control) {
  for (int i = 0; i < 10; i++) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    Sleep(20);
  }
  RECT r;
  GetWindowRect(control, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  std::vector<COLORREF> px;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) px.push_back(GetPixel(mem, x, y));
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return px;
}

// The format names hold underscores ("D3DFMT_D24S8"): the dialog's font must draw them (the
// lists' items share it). The field shows the underscore when its picture differs from the
// same name with a blank in its place.
TEST(SettingsDialogWin, UnderscoresOfTheListsAreDrawn) {
  D3DEnumeration e;
  D3DSettings s{};
  D3DSettingsDialog_Construct(&g_SettingsDialog, &e, &s);
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECTDEVICE), nullptr,
                                D3DSettingsDialog_Proc, 0);
  ASSERT_NE(dlg, nullptr);
  SetWindowPos(dlg, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  HWND box = GetDlgItem(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO);
  EnableWindow(box, TRUE);
  std::vector<COLORREF> shots[2];
  const char *names[2] = {"D3DFMT_D24S8", "D3DFMT D24S8"};
  for (int i = 0; i < 2; i++) {
    SendMessageA(box, CB_RESETCONTENT, 0, 0);
    SendMessageA(box, CB_ADDSTRING, 0, (LPARAM)names[i]);
    SendMessageA(box, CB_SETCURSEL, 0, 0);
    InvalidateRect(box, nullptr, TRUE);
    shots[i] = Shot(box);
  }
  int differ = 0;
  for (size_t i = 0; i < shots[0].size(); i++) differ += shots[0][i] != shots[1][i];
  EXPECT_GE(differ, 4) << "the underscore is not drawn";
  DestroyWindow(dlg);
}

// [SECTION] effect error box per reset

int g_BoxCount;
std::string g_LastCaption;
int CountBox(HWND, const char *, const char *caption, UINT) {
  g_BoxCount++;
  g_LastCaption = caption;
  return IDOK;
}

TEST(HlslWin, BrokenEffectShowsOneErrorBoxPerDeviceReset) {
  TestDevice t;
  ASSERT_TRUE(TestDevice_Create(&t, 320, 240));
  IDirect3DDevice9 *saved = g_Lib.device;
  g_Lib.device = t.device;
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  std::string data = std::string(dir) + "miravel_fx_test";
  CreateDirectoryA(data.c_str(), nullptr);
  CreateDirectoryA((data + "\\System").c_str(), nullptr);
  FILE *f = fopen((data + "\\System\\Bone.fx").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("vertexshader VS\n vs_2_0\n not_an_instruction r0\nend\ntechnique BoneRender\n pass P\n  VertexShader = VS\n end\nend\n", f);
  fclose(f);
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, data.c_str());
  LibHooks savedHooks = g_LibHooks;
  g_ModalHooks.messageBox = CountBox;
  g_BoxCount = 0;
  Hlsl_Install();
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_BONE), nullptr);
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_BONE), nullptr);
  EXPECT_EQ(g_BoxCount, 1);
  EXPECT_EQ(g_LastCaption, "ERROR");
  Draw_ReleaseShaderTargets();  // what every device reset runs first
  EXPECT_EQ(Hlsl_GetEffect(HLSL_FX_BONE), nullptr);
  EXPECT_EQ(g_BoxCount, 2);
  // The shipped 3D effect loads from the source tree's data folder.
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, SourcePath("Data").c_str());
  EXPECT_NE(Hlsl_GetEffect(HLSL_FX_3D), nullptr);
  EXPECT_EQ(g_BoxCount, 2);
  Hlsl_ReleaseEffects();
  g_ModalHooks.messageBox = nullptr;
  g_LibHooks = savedHooks;
  g_Lib.device = saved;
  DeleteFileA((data + "\\System\\Bone.fx").c_str());
  TestDevice_Destroy(&t);
}

}  // namespace
