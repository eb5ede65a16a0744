// The floor every run of the program stands on: a process that starts and exits.
int main() { return 0; }
