// The discard and exit questions over the changed flags of every kind of document.
#include "app/discard.h"

#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/entries.h"
#include "app/shell_seam.h"
#include "app/views.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/cp932.h"
#include "model/str.h"

// What the questions call each kind: the short name of the discard question (the texts the
// family switch has always shown) and the name in the exit question's list.
struct DiscardKind {
  const char *shortName;
  const char *listName;
};
static const DiscardKind kKinds[DOC_KINDS] = {
    {"モデル", "３Ｄモデル"},         {"オブジェクト", "３Ｄオブジェクト"},
    {"モデル", "２Ｄボーンモデル"},   {"モデル", "２Ｄオブジェクトモデル"},
    {"ムービー", "ムービー"},         {"コリジョン", "コリジョン"},
    {"マップ", "２Ｄマップ"},         {"エフェクト", "エフェクト"},
    {"ソース", "プログラムのソース"},
};

bool Discard_Ask(u32 kind) { return Discard_AskNamed(kind, false); }

bool Discard_AskNamed(u32 kind, bool fullName) {
  if (!Doc_IsChanged(kind) || !g_ShellSeam.askYesNo) {
    Doc_AllowReplace(kind);
    return true;
  }
  char text[256];
  const DiscardKind &k = kKinds[kind];
  Str_Format(text, sizeof text, "編集中の%sは破棄されます。よろしいですか？", fullName ? k.listName : k.shortName);
  if (!g_ShellSeam.askYesNo(text)) return false;
  Doc_AllowReplace(kind);
  return true;
}

// The file name a changed document of this kind goes by, or null.
static const char *DocumentName(u32 kind) {
  const DocFileEntries *e = nullptr;
  switch (kind) {
    case DOC_MODEL3:
      return Current_Model3() ? Current_Model3()->fileName : nullptr;
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
    if (used < size) {
      if (name && name[0]) used += (size_t)Str_Format(out + used, size - used, "　%s「%s」\n", kKinds[k].listName, name);
      else used += (size_t)Str_Format(out + used, size - used, "　%s\n", kKinds[k].listName);
    }
  }
  const char *ask = used ? "\n終了しても、よろしいですか？" : "終了しても、よろしいですか？";
  // The question itself always fits: a long list gives way to it.
  size_t need = strlen(ask) + 1;
  if (size < need) { out[0] = 0; return; }
  if (used > size - need) used = Cp932_CutLength(out, size - need);
  Str_Format(out + used, size - used, "%s", ask);
}
