// Test support: the vector files that hold time-zone answers.
//
// Zone answers are those of the machine's own tz database, which a system
// update may change at any time, so these files are not checked in: the
// build writes them from that database with Python's zoneinfo (see
// tests/data/tzrelease.py) into QDT_ZONE_DATA_DIR, again whenever the
// database changes. Each names the release it was made from on its first
// line ("# tzdata 2025b: ..."); a file from another release than the one now
// installed is refused rather than compared.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>
#include <string>

namespace QDataType {
namespace testing_zone {

// The installed database's release as tzdata.zi names it ("2025b"), or
// "unknown" when the file is missing or says nothing.
inline std::string MachineTzRelease() {
  char const* dir = getenv("TZDIR");
  std::ifstream in(std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/tzdata.zi");
  std::string hash, word, release;
  if (in >> hash >> word >> release && hash == "#" && word == "version") return release;
  return "unknown";
}

// Opens the vector file `name`, checking that it was made from the installed
// database.
inline ::testing::AssertionResult OpenZoneVectors(char const* name, std::ifstream& in) {
  std::string const path = std::string(QDT_ZONE_DATA_DIR) + "/" + name;
  in.close();
  in.clear();
  in.open(path);
  std::string first;
  if (!in || !std::getline(in, first)) {
    return ::testing::AssertionFailure() << path << " is missing: the build writes it (python3 and zoneinfo needed)";
  }
  std::string const want = "# tzdata " + MachineTzRelease() + ":";
  if (first.compare(0, want.size(), want) != 0) {
    return ::testing::AssertionFailure() << path << " was made from another tz database (" << first
                                         << "); this machine has " << MachineTzRelease() << ": rebuild";
  }
  return ::testing::AssertionSuccess();
}

}  // namespace testing_zone
}  // namespace QDataType
