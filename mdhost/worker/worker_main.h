// The worker process: mdhost started by itself with --worker.
#pragma once

#include <string>

namespace host {

// A request per line on standard input, records on standard output, until
// standard input ends or a plugin leaves the process unfit for the next.
// `board` names the stage board its parent shares.
// `capture`: the file what plugins print goes to ("" for none).
int RunWorker(const std::string& board, const std::string& capture);

}  // namespace host
