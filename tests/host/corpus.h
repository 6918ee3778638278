// Generated test data: text-like, binary-like, random and repetitive.
#pragma once
#include <string>
#include <vector>

// Pieces of the given kinds; deterministic for a seed.
std::vector<std::string> MakeCorpus(size_t totalBytes, unsigned seed);
// zlib raw deflate with level and strategy.
