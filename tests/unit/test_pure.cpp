// The host tests of the pure functions, run here as well: the same cases
// against the platform's C runtime (its formatted output, strftime, strtol).
#include "tools/shelldde/commands.cpp"  // the server's parser is not in setupcore

#include "../host/test_command_line.cpp"
#include "../host/test_disk_entries.cpp"
#include "../host/test_display_path.cpp"
#include "../host/test_entries.cpp"
#include "../host/test_group_text.cpp"
#include "../host/test_paths.cpp"
#include "../host/test_shelldde_commands.cpp"
#include "../host/test_text.cpp"
