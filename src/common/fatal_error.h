// FatalErrorReport: the module's one fatal path.
#pragma once

#include <cstddef>
#include <string_view>

namespace common {

// Reports that `byte_count` bytes could not be allocated and ends the host process.
[[noreturn]] void ReportAllocationFailure(std::size_t byte_count) noexcept;

// Reports `message` (GBK) and ends the host process. The unload routine does not run.
[[noreturn]] void FatalErrorReport(std::string_view message) noexcept;

// Whether a fatal error has been reported; the unload routine then leaves the slots alone.
bool FatalErrorReported() noexcept;

}  // namespace common
