#include "app/rec.h"
void Stray(int i) {
  g_Rec.g_Count = 1;
  g_Rec.g_Count |= 2;
  ++g_Rec.g_Count;
  g_Rec.g_Table[i + 1]--;
  memset(g_Rec.g_Name, 0, sizeof g_Rec.g_Name);
  Str_Copy(g_Rec.g_Name, sizeof g_Rec.g_Name, "x");
  g_Rec.g_Other <<= 1;
  g_Rec.g_Count =
      3;
}
