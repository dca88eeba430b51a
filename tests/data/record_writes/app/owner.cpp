#include "app/rec.h"
Rec g_Rec;
void Owner(void) {
  g_Rec.g_Count = 1;
  g_Rec.g_Count++;
  g_Rec.g_Name[0] = 0;
  g_Rec.g_Table[1] = 3, g_Rec.g_Other = 4;
}
