// A record with two groups of writers (the record check's own test tree).
#pragma once

struct Rec {
  // writers: app/owner.cpp
  unsigned g_Count;
  char g_Name[16];
  int g_Table[4], g_Other = 2;   // writers: app/owner.cpp edit3d/
};
extern Rec g_Rec;
