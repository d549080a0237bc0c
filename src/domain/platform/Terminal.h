#pragma once

#include <cstdio>

// Whether the stream writes to a terminal (not a file or a pipe).
bool isTerminal(std::FILE *stream);
