// The discard and exit questions over the changed flags of every kind of document.
#include "app/discard.h"

#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/entries.h"
#include "app/filemenu.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/cp932.h"
#include "model/str.h"

// What the questions call each kind: the short name of the discard question (the texts the
// family switch has always shown) and the name in the exit question's list. The layers and
// their sound lists come after these.
struct DiscardKind {
  const char *shortName;
  const char *listName;
};
static const DiscardKind kKinds[DOC_LAYER2] = {
    {"モデル", "３Ｄモデル"},         {"オブジェクト", "３Ｄオブジェクト"},
    {"モデル", "２Ｄボーンモデル"},   {"モデル", "２Ｄオブジェクトモデル"},
    {"ムービー", "ムービー"},         {"コリジョン", "コリジョン"},
    {"マップ", "２Ｄマップ"},         {"エフェクト", "エフェクト"},
    {"ソース", "プログラムのソース"},
};
static const DiscardKind kLayerKind = {"モデル", "３Ｄモデル"};
static const DiscardKind kSoundKind = {"効果音", "３Ｄモデルの効果音"};

static const DiscardKind &KindNames(u32 kind) {
  if (kind >= DOC_SOUNDS1) return kSoundKind;
  return kind >= DOC_LAYER2 ? kLayerKind : kKinds[kind];
}

// The name a document of a 3D editor layer goes by in the questions: its model's file, and
// the layer's number while that is the new model's "新規.KZP"; the sound list by the KZM file
// its model's name proposes. Empty for the other kinds.
static void LayerDocumentName(u32 kind, char *out, size_t size) {
  out[0] = 0;
  i32 slot = Doc_LayerSlot(kind);
  if (slot < 0) return;
  const Model3 *m = g_Model3Slots[slot];
  const char *file = m && m->fileName && m->fileName[0] ? m->fileName : "新規.KZP";
  char name[FILEMENU_NAME];
  if (kind >= DOC_SOUNDS1) FileMenu_DefaultName(name, sizeof name, file, "KZM");
  else Str_Copy(name, sizeof name, file);
  if (strcmp(file, "新規.KZP") != 0) Str_Format(out, size, "「%s」", name);
  else Str_Format(out, size, "「%s」（レイヤー %d）", name, slot + 1);
}

bool Discard_Ask(u32 kind) { return Discard_AskNamed(kind, false); }

bool Discard_AskNamed(u32 kind, bool fullName) {
  if (!Doc_IsChanged(kind) || !g_ShellSeam.askYesNo) {
    Doc_AllowReplace(kind);
    return true;
  }
  char text[512], name[FILEMENU_NAME + 64];
  const DiscardKind &k = KindNames(kind);
  LayerDocumentName(kind, name, sizeof name);
  Str_Format(text, sizeof text, "編集中の%s%sは破棄されます。よろしいですか？", fullName ? k.listName : k.shortName, name);
  if (!g_ShellSeam.askYesNo(text)) return false;
  Doc_AllowReplace(kind);
  return true;
}

bool Discard_AskLayer(u32 slot) {
  return Discard_Ask(Doc_LayerKind(slot)) && Discard_Ask(Doc_SoundKind(slot));
}

void Discard_LayerReplaced(u32 slot) {
  Doc_Replaced(Doc_LayerKind(slot));
  Doc_Replaced(Doc_SoundKind(slot));
}

// The file name a changed document of this kind goes by, or null.
static const char *DocumentName(u32 kind) {
  const DocFileEntries *e = nullptr;
  switch (kind) {
    // The documents of the 2D editor and of the 3D object sub-mode live in slot 0 of their
    // tables (the title bar names them the same way).
    case DOC_OBJ3:
      return g_Obj3Sets[0] ? g_Obj3Sets[0]->parts[0].path : nullptr;   // object 0 holds the set's path
    case DOC_BONE2:
      return g_Bone2Slots[0] ? g_Bone2Slots[0]->name : nullptr;
    case DOC_OBJ2:
      return g_Obj2Slots[0] ? g_Obj2Slots[0]->filePath : nullptr;
    case DOC_MOVIE: e = &g_ShellEntries.movie; break;
    case DOC_COLLISION: e = &g_ShellEntries.collision; break;
    case DOC_MAP2: e = &g_ShellEntries.map2; break;
    default: return nullptr;
  }
  return e->fileName ? e->fileName() : nullptr;
}

void Discard_ExitQuestion(char *out, size_t size) {
  if (!out || size == 0) return;
  out[0] = 0;
  size_t used = 0;
  for (u32 k = 0; k < DOC_KINDS; k++) {
    if (!Doc_IsChanged(k)) continue;
    if (used == 0) used = (size_t)Str_Format(out, size, "%s", "次の編集中のデータは保存されていません。\n");
    const char *name = DocumentName(k);
    char layer[FILEMENU_NAME + 64];
    LayerDocumentName(k, layer, sizeof layer);
    const char *list = KindNames(k).listName;
    if (used < size) {
      if (layer[0]) used += (size_t)Str_Format(out + used, size - used, "　%s%s\n", list, layer);
      else if (name && name[0]) used += (size_t)Str_Format(out + used, size - used, "　%s「%s」\n", list, name);
      else used += (size_t)Str_Format(out + used, size - used, "　%s\n", list);
    }
  }
  const char *ask = used ? "\n終了しても、よろしいですか？" : "終了しても、よろしいですか？";
  // The question itself always fits: a long list gives way to it.
  size_t need = strlen(ask) + 1;
  if (size < need) { out[0] = 0; return; }
  if (used > size - need) used = Cp932_CutLength(out, size - need);
  Str_Format(out + used, size - used, "%s", ask);
}
