// AVI capture on Windows: the AviWriter (AVIFile + video compression manager), starting and
// stopping a recording, and the per-frame capture of the back buffer through "avi.bmp".
// Owns g_AviWriter.
#include "lib/media/avi_win.h"

#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"

AviWriter *g_AviWriter;

static const char kCaptureBitmapName[] = "avi.bmp";

// [SECTION] Writer

AviWriter::AviWriter() { memset((void *)this, 0, sizeof *this); }

static void FillFrameFormat(BITMAPINFOHEADER *bih, u32 width, u32 height) {
  memset(bih, 0, sizeof *bih);
  bih->biSize = sizeof(BITMAPINFOHEADER);
  bih->biWidth = (LONG)width;
  bih->biHeight = (LONG)height;
  bih->biPlanes = 1;
  bih->biBitCount = 24;
  bih->biCompression = BI_RGB;
  bih->biSizeImage = Avi_FrameBytes(width, height);
}

static void ResetCompressor(COMPVARS *c) {
  memset(c, 0, sizeof *c);
  c->cbSize = sizeof(COMPVARS);
  c->dwFlags = ICMF_COMPVARS_VALID;
  c->fccType = ICTYPE_VIDEO;
  c->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  c->lQ = ICQUALITY_DEFAULT;
}

HDC AviWriter::open(HWND window, u32 w, u32 h, const char *path, u32 scale, u32 rate) {
  width = w;
  height = h;
  frameBytes = Avi_FrameBytes(w, h);
  AVIFileInit();
  aviFileInit = 1;

  // The full path is used as it stands: the process's current folder is left alone.
  char fileName[MAX_PATH];
  if (!Avi_MakeFileName(fileName, sizeof fileName, path)) return nullptr;
  DeleteFileA(fileName);

  AVISTREAMINFOA info;
  memset(&info, 0, sizeof info);
  info.fccType = streamtypeVIDEO;
  info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  info.dwScale = scale;
  info.dwRate = rate;
  info.dwQuality = (DWORD)-1;
  SetRect(&info.rcFrame, 0, 0, (int)w, (int)h);
  Str_Copy(info.szName, sizeof info.szName, "Miravel AVI");

  BITMAPINFOHEADER format;
  FillFrameFormat(&format, w, h);
  ResetCompressor(&compressor);
  if (!Avi_ChooseCompressor(window, &format, &compressor)) return nullptr;

  AVICOMPRESSOPTIONS options;
  memset(&options, 0, sizeof options);
  options.fccType = streamtypeVIDEO;
  options.fccHandler = compressor.fccHandler;
  options.dwKeyFrameEvery = (DWORD)compressor.lKey;
  options.dwQuality = (DWORD)compressor.lQ;
  options.dwBytesPerSecond = (DWORD)compressor.lDataRate;
  if (compressor.lDataRate >= 1) options.dwFlags |= AVICOMPRESSF_DATARATE;
  if (compressor.lKey >= 1) options.dwFlags |= AVICOMPRESSF_KEYFRAMES;
  options.lpParms = compressor.lpState;
  options.cbParms = (DWORD)compressor.cbState;

  if (AVIFileOpenA(&file, fileName, OF_WRITE | OF_CREATE | OF_SHARE_DENY_NONE, nullptr) != 0) {
    file = nullptr;
    return nullptr;
  }
  if (AVIFileCreateStreamA(file, &stream, &info) != 0) {
    stream = nullptr;
    return nullptr;
  }
  if (AVIMakeCompressedStream(&compressedStream, stream, &options, nullptr) != 0) {
    compressedStream = nullptr;
    return nullptr;
  }
  if (AVIStreamSetFormat(compressedStream, 0, &format, sizeof format) != 0) return nullptr;

  HDC screenDC = GetDC(window);
  if (!screenDC) {
    Seam_ErrorBox("Error hDC");
    return nullptr;
  }
  frameDC = CreateCompatibleDC(screenDC);
  if (!frameDC) {
    ReleaseDC(window, screenDC);
    Seam_ErrorBox("Error hMemDC");
    return nullptr;
  }
  if (ReleaseDC(window, screenDC) != 1) {
    Seam_ErrorBox("Error ReleaseDC");
    return nullptr;
  }
  BITMAPINFO bmi;
  memset(&bmi, 0, sizeof bmi);
  bmi.bmiHeader = format;
  void *pixels = nullptr;
  HBITMAP section = CreateDIBSection(frameDC, &bmi, DIB_RGB_COLORS, &pixels, nullptr, 0);
  if (!section || !pixels) {
    if (section) DeleteObject(section);
    Seam_ErrorBox("Error CreateDIBSection");
    return nullptr;
  }
  bits = (u8 *)pixels;
  bitmap = (HBITMAP)SelectObject(frameDC, section);
  return frameDC;
}

bool AviWriter::writeFrame() {
  if (!compressedStream || !bits) return false;
  GdiFlush();   // GDI may still be drawing into the DIB section
  HRESULT hr = AVIStreamWrite(compressedStream, (LONG)frameCounter, 1, bits, (LONG)frameBytes,
                              AVIIF_KEYFRAME, nullptr, nullptr);
  frameCounter++;
  return hr == 0;
}

void AviWriter::close() {
  if (compressedStream) {
    AVIStreamRelease(compressedStream);
    compressedStream = nullptr;
  }
  if (stream) {
    AVIStreamRelease(stream);
    stream = nullptr;
  }
  if (file) {
    AVIFileRelease(file);
    file = nullptr;
  }
  if (compressor.cbSize) ICCompressorFree(&compressor);
  memset(&compressor, 0, sizeof compressor);
  if (frameDC) {
    if (bits) {
      HGDIOBJ section = SelectObject(frameDC, bitmap);
      DeleteObject(section);
    }
    DeleteDC(frameDC);
    frameDC = nullptr;
  }
  bitmap = nullptr;
  bits = nullptr;
  frameCounter = 0;
  if (aviFileInit) {
    AVIFileExit();
    aviFileInit = 0;
  }
}

// [SECTION] Recording

bool Avi_IsRecording(void) { return g_AviWriter != nullptr; }

bool Avi_StartRecording(const char *name, u32 frameRate) {
  if (!name || !name[0] || frameRate == 0) return false;
  char path[LIB_TEXT_SIZE];
  if (!Avi_RootPath(path, sizeof path, g_Lib.rootDir, name)) return false;
  // One recording at a time: a new start finishes the old one first.
  if (g_AviWriter) Avi_StopRecording();
  AviWriter *writer = new AviWriter();
  if (!writer->open(nullptr, AVI_WIDTH, AVI_HEIGHT, path, 1, frameRate)) {
    writer->close();
    delete writer;
    Timer_Reset();
    return false;
  }
  g_AviWriter = writer;
  writer->frameRate = frameRate;
  Avi_EnterRecordingState(&writer->savedRunState);
  Timer_Reset();   // the codec dialog was a modal interruption
  return true;
}

void Avi_StopRecording(void) {
  AviWriter *writer = g_AviWriter;
  if (!writer) return;
  Avi_LeaveRecordingState(writer->savedRunState);
  writer->close();
  delete writer;
  g_AviWriter = nullptr;
  char path[LIB_TEXT_SIZE];
  if (Avi_RootPath(path, sizeof path, g_Lib.rootDir, kCaptureBitmapName)) DeleteFileA(path);
}

// [SECTION] Frame capture

// Copies the 640 x 480 area at the capture origin of the saved bitmap into the frame DC.
static void CopyBitmapToFrame(AviWriter *w, const char *bitmapPath) {
  HBITMAP image = (HBITMAP)LoadImageA(nullptr, bitmapPath, IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (!image) return;
  HDC imageDC = CreateCompatibleDC(w->frameDC);
  if (imageDC) {
    HGDIOBJ old = SelectObject(imageDC, image);
    i32 x, y;
    Avi_CaptureOrigin(g_Lib.viewWindowMode, g_Lib.screenWidth, g_Lib.screenHeight, &x, &y);
    BitBlt(w->frameDC, 0, 0, (int)w->width, (int)w->height, imageDC, x, y, SRCCOPY);
    SelectObject(imageDC, old);
    DeleteDC(imageDC);
  }
  DeleteObject(image);
}

void Avi_CaptureFrameOf(IDirect3DDevice9 *device) {
  AviWriter *w = g_AviWriter;
  if (g_Lib.runState != LIB_RUN_RECORDING || !w || !w->frameDC) return;
  char path[LIB_TEXT_SIZE];
  if (!Avi_RootPath(path, sizeof path, g_Lib.rootDir, kCaptureBitmapName)) return;
  // A snapshot or load that fails still writes the frame, with the previous picture.
  if (device) Snapshot_SaveBackBuffer(device, path, nullptr);
  CopyBitmapToFrame(w, path);
  w->writeFrame();
}
