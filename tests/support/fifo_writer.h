// A writer for a FIFO, standing in for the process that would feed it.
#pragma once

#include <string>
#include <thread>

namespace wirenote::testing {

// A thread that opens the FIFO at `path` for writing as soon as a reader has
// it open, writes `data` (if any) and closes it. It gives up after twenty
// seconds without a reader, so a test whose reader never comes still ends.
std::thread FifoWriter(const std::string& path, std::string data);

}  // namespace wirenote::testing
