// The tarmac command line. Subcommands are registered by the files beside this one.
int main() { return 0; }
