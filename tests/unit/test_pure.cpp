// The host tests of the pure functions, run here as well: the same cases
// against the platform's C runtime (its formatted output, strftime, strtol).
#include "tools/shelldde/commands.cpp"  // the server's parser is not in setupcore

#include "tests/host/test_command_line.cpp"
#include "tests/host/test_disk_entries.cpp"
#include "tests/host/test_display_path.cpp"
#include "tests/host/test_entries.cpp"
#include "tests/host/test_group_text.cpp"
#include "tests/host/test_paths.cpp"
#include "tests/host/test_shelldde_commands.cpp"
#include "tests/host/test_text.cpp"
