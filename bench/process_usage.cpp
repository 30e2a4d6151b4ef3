#include "bench/process_usage.h"

#include <sys/resource.h>

namespace zelvo::bench {
namespace {

uint64_t Microseconds(const timeval& t) {
  return static_cast<uint64_t>(t.tv_sec) * 1'000'000 + static_cast<uint64_t>(t.tv_usec);
}

}  // namespace

CpuTime ProcessCpuTime() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return {Microseconds(usage.ru_utime), Microseconds(usage.ru_stime)};
}

CpuTime operator-(const CpuTime& later, const CpuTime& earlier) {
  return {later.user_us - earlier.user_us, later.system_us - earlier.system_us};
}

uint64_t PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<uint64_t>(usage.ru_maxrss);  // KiB on Linux
}

}  // namespace zelvo::bench
