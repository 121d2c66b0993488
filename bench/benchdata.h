#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "prdgenerator.h"

// The seed of every generated benchmark file: figures of different runs
// measure the same bytes.
inline constexpr uint64_t kBenchSeed = 20261206;

// A generated product file of at least megabytes MiB, made once per process.
const std::string& BenchProductOfSize(int32_t megabytes);
// A generated product file with exactly events events, made once per
// process; summary (when given) receives what it holds.
const std::string& BenchProductOfEvents(int32_t events, PrdGenSummary* summary = nullptr);
