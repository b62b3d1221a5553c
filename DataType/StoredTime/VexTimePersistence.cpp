// VexTime persistence: the 44-byte record and the caller's streams.
#include <cstdint>

#include "DataType/StoredTime/VexTime.h"

namespace QDataType {

namespace {

constexpr unsigned kRecordSize = 44;
constexpr int32_t kUnsetMarker = -101;
constexpr int32_t kStaticMarker = -100;

void PutWord(unsigned char* p, uint32_t v) noexcept {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

uint32_t GetWord(unsigned char const* p) noexcept {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

// --- Record --------------------------------------------------------------------------

int VexTime::SaveObj(unsigned int size, void* buffer) const noexcept {
  if (size < kRecordSize || buffer == nullptr) return -1;
  if (IsStatic()) {
    // DateTime's own record, with the week and weekday computed and the mode
    // in the last word.
    Date()->GetWeek();
    return Date()->SaveObj(kRecordSize, buffer, mode_);
  }
  uint32_t words[11] = {static_cast<uint32_t>(kUnsetMarker)};
  if (IsDynamic()) {
    DynamicTime const& t = *Dynamic();
    // The kind OR-ed with the month offset in the high half: a kind with
    // bits there (DT_NONE is negative) keeps them.
    words[0] = static_cast<uint32_t>(t.GetDynamicTime()) |
               static_cast<uint32_t>(static_cast<uint16_t>(t.GetDynamicMonthOffset())) << 16;
    int const fields[10] = {t.GetYear(),   t.GetMonth(),           t.GetDay(),  t.GetHour(),      t.GetMinute(),
                            t.GetSecond(), t.GetDynamicDayOffset(), t.GetWeek(), t.GetDayOfWeek(), 1};
    for (int i = 0; i < 10; ++i) words[i + 1] = static_cast<uint32_t>(fields[i]);
  }
  unsigned char* out = static_cast<unsigned char*>(buffer);
  for (int i = 0; i < 11; ++i) PutWord(out + 4 * i, words[i]);
  return 0;
}

int VexTime::LoadObj(unsigned int size, void* buffer) {
  if (size < kRecordSize || buffer == nullptr) return -1;
  unsigned char const* in = static_cast<unsigned char const*>(buffer);
  int w[11];
  for (int i = 0; i < 11; ++i) w[i] = static_cast<int>(GetWord(in + 4 * i));

  if (w[0] == kUnsetMarker) {
    Reset();
  } else if (w[0] == kStaticMarker) {
    // The record's week and weekday are not used; a mode word other than 0
    // and 1 loads as UTC.
    HoldDate(DateTime(w[1], w[2], w[3], w[4], w[5], w[6], w[7], 0, 0),
             w[10] == TIME_MODE_LOCAL ? TIME_MODE_LOCAL : TIME_MODE_UTC);
  } else {
    if (!IsDynamic() && !HoldDynamic(DynamicTime(DT_NONE, 0))) return 0;
    DynamicTime& t = *Dynamic();
    uint32_t const w0 = static_cast<uint32_t>(w[0]);
    t.PutDynamicTime(static_cast<DYNAMIC_TIME>(w0 & 0xFFFF));
    t.PutDay(w[3]);
    t.PutDayOfWeek(w[9]);
    t.PutHour(w[4]);
    t.PutDynamicDayOffset(w[7]);
    t.PutMinute(w[5]);
    t.PutMonth(w[2]);
    t.PutSecond(w[6]);
    t.PutWeek(w[8]);
    t.PutYear(w[1]);
    t.PutDynamicMonthOffset(static_cast<short>(static_cast<uint16_t>(w0 >> 16)));
  }
  return 0;
}

// --- Streams -------------------------------------------------------------------------

int VexTime::SaveToStream(QSerialization::WriteDataStream* stream) const {
  if (stream == nullptr) return 0;
  stream->WriteInt(mode_);
  if (IsStatic()) {
    stream->WriteDateTime(Date());
  } else if (IsDynamic()) {
    stream->WriteDynamicTime(Dynamic());
  }
  return 0;
}

int VexTime::LoadFromStream(QSerialization::ReadDataStream* stream) {
  if (stream == nullptr) return 0;
  int m = 0;
  stream->ReadInt(&m);
  if (m == TIME_MODE_UNSET) {
    Reset();
  } else if (m == TIME_MODE_UTC || m == TIME_MODE_LOCAL) {
    TIME_MODE const mode = static_cast<TIME_MODE>(m);
    if (IsStatic() || HoldDate(DateTime(), mode)) {
      mode_ = mode;
      stream->ReadDateTime(Date());
    } else {
      DateTime item;  // read all the same, so the stream stays in step
      stream->ReadDateTime(&item);
    }
  } else if (m == TIME_MODE_DYNAMIC) {
    if (IsDynamic() || HoldDynamic(DynamicTime(DT_NONE, 0))) {
      stream->ReadDynamicTime(Dynamic());
    } else {
      DynamicTime item;
      stream->ReadDynamicTime(&item);
    }
  }
  return 0;
}

}  // namespace QDataType
