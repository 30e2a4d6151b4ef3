#pragma once

namespace zelvo::cli {

// The exit status of zelvogdb-cli, for scripts.
inline constexpr int kExitPassed = 0;         // the command's final status text was its "passed"
inline constexpr int kExitFailed = 1;         // connected, but the command did not pass
inline constexpr int kExitUsage = 2;          // bad options or values; nothing was sent
inline constexpr int kExitCannotConnect = 3;  // the box could not be connected

}  // namespace zelvo::cli
