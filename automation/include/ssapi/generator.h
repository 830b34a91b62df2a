// Large synthetic databases for benchmarks and load tests: many projects,
// files and versions, and every kind of change, written in the text form.
#pragma once

#include <cstdint>
#include <filesystem>

namespace ssapi {

struct GeneratorOptions {
  std::uint64_t versions = 10000;  // revisions to make, roughly (every change makes one or more)
  std::uint32_t seed = 1;          // the same seed and size give the same database
  // Chance, in percent, that a change is made in the same second as the one
  // before (bursts); otherwise 1 to 600 seconds pass.
  std::uint32_t sameSecondPercent = 0;
  // Share of check-ins among the changes, in thousandths; the other kinds
  // keep their proportions among the rest.
  std::uint32_t checkInPerMille = 680;
};

struct GeneratedDatabase {
  std::uint64_t changes = 0;
  std::uint64_t versions = 0;
  std::uint64_t projects = 0;
  std::uint64_t files = 0;
};

// Writes srcsafe.ini and its data folder into `folder`. Users: "Admin" with
// an empty password and "user1".."user4" with passwords "pass1".."pass4".
// Throws std::runtime_error when the files cannot be written.
GeneratedDatabase generateDatabase(const std::filesystem::path& folder, const GeneratorOptions& options);

}  // namespace ssapi
