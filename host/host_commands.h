// Commands of the stand-in host. Each returns the process exit code.
#pragma once

namespace host {

// Prints the five texts and the interface generation of the plugin at `path`.
int ShowPluginInfo(const char* path);

// Runs a Lua script in a state where the plugin's actions are registered.
// `args` become the script's `arg` table (arg[0] is the script).
int RunScript(const char* plugin, const char* script, int argc, char** args);

// Calls the plugin's help exports for `folder` (and `action`, when given).
int ShowHelp(const char* plugin, const char* folder, const char* action);

// Checks the plugin against the host's contract, printing one line per finding.
int CheckPlugin(const char* path);

}  // namespace host
