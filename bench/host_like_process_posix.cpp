#include "host_like_process.h"

// Lua, the one library a plugin shares with the host, is linked in already.
void PrepareHostLikeProcess() {}
