// quaverly-cli: the command-line tool over the core (being written).
int main() { return 0; }
