#pragma once

#include "model/Instant.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// The one entry of a fuzz target: libFuzzer calls it with every input it makes up, the corpus
// replay with every checked-in seed.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// The input as bytes, without a copy, so that the address sanitizer sees any read past its end.
inline QByteArray fuzzInput(const std::uint8_t* data, std::size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data),
                                   static_cast<qsizetype>(size));
}

[[noreturn]] inline void fuzzExpectationFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: expected %s\n", file, line, condition);
    std::abort();
}

// A property that must hold for every input. A broken one aborts: libFuzzer keeps the input as
// a finding, and the corpus replay fails.
#define FUZZ_EXPECT(condition)                                                                     \
    ((condition) ? void() : fuzzExpectationFailed(#condition, __FILE__, __LINE__))

// Dates read from outside lie within the years a calendar can write, or are refused.
inline bool isAbsentOrWritable(const std::optional<Instant>& instant) {
    return !instant || instant->isWithinCalendarYears();
}
