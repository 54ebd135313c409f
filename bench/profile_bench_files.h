// Benchmark set-up for the profile store: pet-style profile files with many user sections, and
// the operation mix of one feed command, shared by the Google Benchmark (our store) and the
// plain timing program (our store natively, the Windows profile API under wine64).
#pragma once

#include <cstdint>
#include <string>

namespace profile_bench {

// The section name of user `user`: a QQ-number-like decimal text.
std::string UserSection(std::int64_t user);

// Writes a profile file of `users` user sections (time, feed count and experience, about 50
// bytes each) followed by the ten level names, CR LF line ends; the same bytes everywhere.
// Returns false when the file cannot be written.
bool MakeProfileFile(const std::string& path, std::int64_t users);

// One read of a user's feed count through the platform's profile functions; returns its length.
std::size_t ReadOnce(const std::string& path, std::int64_t user);

// One durable write of a user's feed count; a new `call` makes a value never stored before.
bool WriteOnce(const std::string& path, std::int64_t user, std::int64_t call);

// The profile operations of one accepted feed command: three reads of the user's record, three
// writes of it, ten reads of the level names. Returns the total length read.
std::size_t FeedMix(const std::string& path, std::int64_t user, std::int64_t call);

// A user spread over the file for call number `call` (a fixed pseudo-random walk).
std::int64_t PickUser(std::int64_t users, std::int64_t call);

}  // namespace profile_bench
