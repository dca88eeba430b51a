#include "app/rec.h"
// g_Rec.g_Count = 1 in a comment is no write.
int Reads(int i) {
  g_Rec.g_Table[i] = 0;   // a writer by folder
  if (g_Rec.g_Count == 1 || g_Rec.g_Count != 2 || g_Rec.g_Count <= 3 || g_Rec.g_Count >= 4) return g_Rec.g_Name[i];
  return g_Rec.g_Count < 5 ? g_Rec.g_Other : g_Rec.g_Table[g_Rec.g_Count];
}
