// Makes the benchmark's process look like the host's where it matters for
// load costs: the system modules the host has loaded stay loaded.
#pragma once

void PrepareHostLikeProcess();
