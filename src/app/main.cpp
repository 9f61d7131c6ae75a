// quaverly: the window program (being written).
int main() { return 0; }
