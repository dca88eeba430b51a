// Linked with the whole of one layer library and the layers below it: the program links
// only when the layer calls nothing above it.
int main() { return 0; }
