// Arbitrary names handed to TimeZone::Find, in a database folder of the
// target's own (TZDIR, set before the first look-up):
//   <root>/db/Good, <root>/db/sub/Good   zones inside the folder
//   <root>/db/escape  -> ../outside/Good a link that leads out of it
//   <root>/db/away    -> ../outside      a folder link that leads out of it
//   <root>/db/fifo                       a FIFO (must not stall the reader)
//   <root>/outside/Good                  a zone outside the folder
// The outside zone has offsets no POSIX rule gives (a change at 1000 seconds
// after the epoch from +1111 to +2222 seconds), so a name that reached it
// would show: whatever the name, a zone found never answers like it. A name
// found twice gives the same pointer, and a found zone answers sanely.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DataType/Calendar/TimeZone.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void Put32(std::vector<unsigned char>& out, long long v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<unsigned char>(static_cast<unsigned long long>(v) >> s));
}

// A version 2 TZif file with one transition at `at` from offset `from` to
// `to` (seconds east), and no closing rule.
std::vector<unsigned char> ZoneFile(long long at, int from, int to) {
  std::vector<unsigned char> out;
  auto header = [&out](int times, int types, int chars) {
    static char const kMagic[] = "TZif2";
    out.insert(out.end(), kMagic, kMagic + 5);
    out.insert(out.end(), 15, 0);
    for (int v : {0, 0, 0, times, types, chars}) Put32(out, v);
  };
  header(0, 1, 4);  // the 32-bit part: one type, nothing else
  Put32(out, from);
  out.insert(out.end(), {0, 0, 'A', 'B', 'C', 0});
  header(1, 2, 4);
  Put32(out, at >> 32);
  Put32(out, at & 0xffffffffLL);
  out.push_back(1);
  Put32(out, from);
  out.insert(out.end(), {0, 0});
  Put32(out, to);
  out.insert(out.end(), {0, 0, 'A', 'B', 'C', 0});
  out.insert(out.end(), {'\n', '\n'});
  return out;
}

void Write(std::string const& path, std::vector<unsigned char> const& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  Check(f != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size());
  Check(std::fclose(f) == 0);
}

bool LooksOutside(QDataType::TimeZone const& zone) {
  return zone.GetOffset(999) == 1111 && zone.GetOffset(1000) == 2222;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char root[] = "/tmp/fuzz_zonename.XXXXXX";
  Check(mkdtemp(root) != nullptr);
  static std::string const r = root;
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(r, ignored);
  });
  Check(mkdir((r + "/db").c_str(), 0700) == 0 && mkdir((r + "/db/sub").c_str(), 0700) == 0 &&
        mkdir((r + "/outside").c_str(), 0700) == 0);
  Write(r + "/db/Good", ZoneFile(1000, 3600, 7200));
  Write(r + "/db/sub/Good", ZoneFile(1000, -3600, 0));
  Write(r + "/outside/Good", ZoneFile(1000, 1111, 2222));
  Check(symlink("../outside/Good", (r + "/db/escape").c_str()) == 0);
  Check(symlink("../outside", (r + "/db/away").c_str()) == 0);
  Check(mkfifo((r + "/db/fifo").c_str(), 0600) == 0);
  setenv("TZDIR", (r + "/db").c_str(), 1);
  // The folder works: its zones are found, the ways out are not.
  QDataType::TimeZone const* good = QDataType::TimeZone::Find("Good");
  Check(good != nullptr && good->GetOffset(999) == 3600 && good->GetOffset(1000) == 7200);
  Check(QDataType::TimeZone::Find("sub/Good") != nullptr);
  for (char const* out : {"escape", "away/Good", "../outside/Good", "sub/../../outside/Good", "fifo"}) {
    Check(QDataType::TimeZone::Find(out) == nullptr);
  }
  Check(QDataType::TimeZone::Find((r + "/outside/Good").c_str()) == nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size > 400) return 0;
  std::string const name(reinterpret_cast<char const*>(data), size);  // up to the first NUL, as a caller's
  QDataType::TimeZone const* const zone = QDataType::TimeZone::Find(name.c_str());
  if (zone == nullptr) return 0;
  Check(!LooksOutside(*zone));
  Check(QDataType::TimeZone::Find(name.c_str()) == zone);
  Check(std::strlen(name.c_str()) <= 255 && name[0] != '/');
  for (long long t : {-(1LL << 40), 0LL, 1000LL, 1LL << 31, 1LL << 40}) {
    int const offset = zone->GetOffset(t);
    Check(offset > -26 * 3600 && offset < 26 * 3600);
  }
  QDataType::DateTime const d(2024, 3, 31, 2, 30, 0);
  QDataType::LocalLookup const l = zone->Lookup(d);
  Check((l.kind == QDataType::LocalKind::Unique) == (l.earlier == l.later));
  return 0;
}
