// Steps that a user would take, run against the setup windows.
int main() { return 0; }
