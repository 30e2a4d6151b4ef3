#pragma once

#include <cstdint>

namespace zelvo::bench {

// CPU time this process has used (getrusage RUSAGE_SELF), in microseconds; children such as the
// simulator are not included.
struct CpuTime {
  uint64_t user_us = 0;
  uint64_t system_us = 0;
  uint64_t total_us() const { return user_us + system_us; }
};
CpuTime ProcessCpuTime();
CpuTime operator-(const CpuTime& later, const CpuTime& earlier);

// The largest resident set this process has had so far (ru_maxrss), in KiB.
uint64_t PeakResidentKiB();

}  // namespace zelvo::bench
