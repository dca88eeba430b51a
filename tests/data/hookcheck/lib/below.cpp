// lib/ knows no shell records; a hook's call into it is not followed.
int Lib_Twice(int v) { return 2 * v; }
