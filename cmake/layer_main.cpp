// An empty program that one layer of the skin engine is linked into whole, with only the
// layers below it: a call from that layer into one above it fails to link.
int main() { return 0; }
