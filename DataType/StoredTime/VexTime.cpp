// VexTime: ownership, modes, the description, fields, conversions and
// comparison.
//
// Invariant: value_ is null exactly when the value is unset; it points to a
// DateTime in the two static modes and to a DynamicTime in the dynamic mode.
// Every change of state goes through HoldDate, HoldDynamic and Reset, which
// keep it.
#include "DataType/StoredTime/VexTime.h"

#include <new>

#include "DataType/Calendar/TimeZone.h"

namespace QDataType {

namespace {

// A new object in the arena (null when it cannot supply one) or on the heap
// (std::bad_alloc when the heap cannot).
template <class T>
T* Make(QBase::Buffer* buffer, T const& from) {
  if (buffer == nullptr) return new T(from);
  return new (buffer) T(from);
}

TIME_MODE StaticMode(TIME_MODE mode) noexcept { return mode == TIME_MODE_LOCAL ? TIME_MODE_LOCAL : TIME_MODE_UTC; }

// The calendar fields, numbered for GetField and PutField.
enum Field { kYear, kMonth, kDay, kWeek, kDayOfWeek, kHour, kMinute };

int Read(DateTime const& d, int field) noexcept {
  switch (field) {
    case kYear: return d.GetYear();
    case kMonth: return d.GetMonth();
    case kDay: return d.GetDay();
    case kWeek: return d.GetWeek();
    case kDayOfWeek: return d.GetDayOfWeek();
    case kHour: return d.GetHour();
    default: return d.GetMinute();
  }
}

int Read(DynamicTime const& t, int field) noexcept {
  switch (field) {
    case kYear: return t.GetYear();
    case kMonth: return t.GetMonth();
    case kDay: return t.GetDay();
    case kWeek: return t.GetWeek();
    case kDayOfWeek: return t.GetDayOfWeek();
    case kHour: return t.GetHour();
    default: return t.GetMinute();
  }
}

bool Write(DateTime& d, int field, int v) noexcept {
  switch (field) {
    case kYear: return d.PutYear(v);
    case kMonth: return d.PutMonth(v);
    case kDay: return d.PutDay(v);
    case kWeek: return d.PutWeek(v);
    case kDayOfWeek: return d.PutDayOfWeek(v, false);
    case kHour: return d.PutHour(v);
    default: return d.PutMinute(v);
  }
}

void Write(DynamicTime& t, int field, int v) noexcept {
  switch (field) {
    case kYear: t.PutYear(v); break;
    case kMonth: t.PutMonth(v); break;
    case kDay: t.PutDay(v); break;
    case kWeek: t.PutWeek(v); break;
    case kDayOfWeek: t.PutDayOfWeek(v); break;
    case kHour: t.PutHour(v); break;
    default: t.PutMinute(v); break;
  }
}

}  // namespace

// --- Ownership -----------------------------------------------------------------------

void VexTime::Drop() noexcept {
  if (value_ != nullptr && buffer_ == nullptr) {
    if (IsDynamic()) {
      delete Dynamic();
    } else {
      delete Date();
    }
  }
  value_ = nullptr;  // an arena object goes back with its arena
}

bool VexTime::HoldDate(DateTime const& date, TIME_MODE mode) {
  if (IsStatic()) {
    *Date() = date;
    mode_ = mode;
    return true;
  }
  Drop();
  mode_ = TIME_MODE_UNSET;
  value_ = Make(buffer_, date);
  if (value_ == nullptr) return false;
  mode_ = mode;
  return true;
}

bool VexTime::HoldDynamic(DynamicTime const& description) {
  if (IsDynamic()) {
    *Dynamic() = description;
    return true;
  }
  Drop();
  mode_ = TIME_MODE_UNSET;
  value_ = Make(buffer_, description);
  if (value_ == nullptr) return false;
  mode_ = TIME_MODE_DYNAMIC;
  return true;
}

void VexTime::Reset() noexcept {
  Drop();
  mode_ = TIME_MODE_UNSET;
}

// --- Construction ----------------------------------------------------------------------

VexTime::VexTime() noexcept : VexTime(static_cast<QBase::Buffer*>(nullptr)) {}

VexTime::VexTime(QBase::Buffer* buffer) noexcept : buffer_(buffer), mode_(TIME_MODE_UNSET), value_(nullptr) {}

VexTime::VexTime(double date, int milliseconds, TIME_MODE mode, bool givenInUTC)
    : VexTime(date, milliseconds, mode, givenInUTC, nullptr) {}

VexTime::VexTime(double date, int milliseconds, TIME_MODE mode, bool givenInUTC, QBase::Buffer* buffer)
    : VexTime(DateTime(date), mode, givenInUTC, buffer) {
  if (IsStatic()) Date()->PutMillisecond(milliseconds);
}

VexTime::VexTime(DateTime const& date, TIME_MODE mode, bool givenInUTC) : VexTime(date, mode, givenInUTC, nullptr) {}

VexTime::VexTime(DateTime const& date, TIME_MODE mode, bool givenInUTC, QBase::Buffer* buffer) : VexTime(buffer) {
  TIME_MODE const m = StaticMode(mode);
  if (givenInUTC == (m == TIME_MODE_UTC)) {
    HoldDate(date, m);
  } else {
    HoldDate(givenInUTC ? date.ToLocalTime() : date.ToUTCTime(), m);
  }
}

VexTime::VexTime(VexTime const& other) : VexTime(other, nullptr) {}

VexTime::VexTime(VexTime const& other, QBase::Buffer* buffer) : VexTime(buffer) { *this = other; }

VexTime& VexTime::operator=(VexTime const& other) {
  if (this == &other) return *this;
  if (other.IsStatic()) {
    HoldDate(*other.Date(), other.mode_);
  } else if (other.IsDynamic()) {
    HoldDynamic(*other.Dynamic());
  } else {
    Reset();
  }
  return *this;
}

VexTime::~VexTime() { Reset(); }

// --- Modes -------------------------------------------------------------------------------

TIME_MODE VexTime::GetMode() const noexcept { return mode_ == TIME_MODE_UTC ? TIME_MODE_UTC : TIME_MODE_LOCAL; }

int VexTime::SetMode(TIME_MODE newMode) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (!IsStatic()) return 0;
  TIME_MODE const m = StaticMode(newMode);
  if (m == mode_) return 0;
  *Date() = m == TIME_MODE_LOCAL ? Date()->ToLocalTime() : Date()->ToUTCTime();
  mode_ = m;
  return 0;
}

int VexTime::SetReadMode(TIME_MODE newMode) {
  switch (newMode) {
    case TIME_MODE_UNSET:
      Reset();
      break;
    case TIME_MODE_UTC:
    case TIME_MODE_LOCAL:
      if (IsStatic()) {
        mode_ = newMode;
      } else {
        HoldDate(DateTime(), newMode);
      }
      break;
    case TIME_MODE_DYNAMIC:
      if (!IsDynamic()) HoldDynamic(DynamicTime(DT_NONE, 0));
      break;
    default:
      break;
  }
  return 0;
}

void VexTime::SetToCurrentTime() { HoldDate(DateTime::NowUTC(), TIME_MODE_UTC); }

// --- The dynamic description ---------------------------------------------------------------

int VexTime::GetDynamicTime(int& kind) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  kind = IsDynamic() ? static_cast<int>(Dynamic()->GetDynamicTime()) : static_cast<int>(DT_NONE);
  return 0;
}

int VexTime::PutDynamicTime(int kind) {
  if (kind == DT_NONE) return 0;
  if (IsDynamic()) {
    Dynamic()->PutDynamicTime(static_cast<DYNAMIC_TIME>(kind));
  } else {
    HoldDynamic(DynamicTime(static_cast<DYNAMIC_TIME>(kind), 0));
  }
  return 0;
}

int VexTime::GetDynamicDayOffset(int& dayOffset) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (!IsDynamic()) return E_TIME_NOT_DYNAMIC;
  dayOffset = Dynamic()->GetDynamicDayOffset();
  return 0;
}

int VexTime::PutDynamicDayOffset(int dayOffset) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (!IsDynamic()) return E_TIME_NOT_DYNAMIC;
  Dynamic()->PutDynamicDayOffset(dayOffset);
  return 0;
}

int VexTime::GetDynamicMonthOffset(short& monthOffset) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (!IsDynamic()) return E_TIME_NOT_DYNAMIC;
  monthOffset = Dynamic()->GetDynamicMonthOffset();
  return 0;
}

int VexTime::PutDynamicMonthOffset(short monthOffset) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (!IsDynamic()) return E_TIME_NOT_DYNAMIC;
  Dynamic()->PutDynamicMonthOffset(monthOffset);
  return 0;
}

int VexTime::GetNthTimePointBefore(int n, TIME_GRANULARITY unit, DateTime& result) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  DateTime date;
  if (IsStatic()) {
    date = *Date();
  } else if (Dynamic()->ToDateTime(date) == -1) {
    return E_TIME_RESOLVE_FAILED;
  }
  DynamicTime::MoveNthTimePointBefore(date, n, unit);
  result = date;
  return 0;
}

// --- Calendar fields -------------------------------------------------------------------------

int VexTime::GetField(int field, bool inUTC, bool actual) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (actual) return IsDynamic() ? Read(*Dynamic(), field) : Read(*Date(), field);
  DateTime d;
  ToDateTime(inUTC, d);
  return Read(d, field);
}

int VexTime::GetYear(bool inUTC, bool actual) const noexcept { return GetField(kYear, inUTC, actual); }
int VexTime::GetMonth(bool inUTC, bool actual) const noexcept { return GetField(kMonth, inUTC, actual); }
int VexTime::GetDay(bool inUTC, bool actual) const noexcept { return GetField(kDay, inUTC, actual); }
int VexTime::GetWeek(bool inUTC, bool actual) const noexcept { return GetField(kWeek, inUTC, actual); }
int VexTime::GetDayOfWeek(bool inUTC, bool actual) const noexcept { return GetField(kDayOfWeek, inUTC, actual); }
int VexTime::GetHour(bool inUTC, bool actual) const noexcept { return GetField(kHour, inUTC, actual); }
int VexTime::GetMinutes(bool inUTC, bool actual) const noexcept { return GetField(kMinute, inUTC, actual); }

int VexTime::GetSeconds(bool actual) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (actual) return IsDynamic() ? Dynamic()->GetSecond() : Date()->GetSecond();
  DateTime d;
  ToDateTime(mode_ != TIME_MODE_LOCAL, d);
  return d.GetSecond();
}

int VexTime::GetMilliSeconds() const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  return IsDynamic() ? 0 : Date()->GetMillisecond();
}

int VexTime::PutField(int field, int v, bool inUTC) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (IsDynamic()) {
    Write(*Dynamic(), field, v);
    return 0;
  }
  // Only a refused week or weekday is reported (and then nothing changes).
  bool const checked = field == kWeek || field == kDayOfWeek;
  bool const utc = mode_ == TIME_MODE_UTC;
  bool ok;
  if (utc == inUTC) {
    ok = Write(*Date(), field, v);
  } else {
    DateTime t = utc ? Date()->ToLocalTime() : Date()->ToUTCTime();
    ok = Write(t, field, v);
    if (ok || !checked) *Date() = utc ? t.ToUTCTime() : t.ToLocalTime();
  }
  return checked && !ok ? E_TIME_FIELD_REJECTED : 0;
}

int VexTime::PutYear(int year, bool inUTC) noexcept { return PutField(kYear, year, inUTC); }
int VexTime::PutMonth(int month, bool inUTC) noexcept { return PutField(kMonth, month, inUTC); }
int VexTime::PutDay(int day, bool inUTC) noexcept { return PutField(kDay, day, inUTC); }
int VexTime::PutHour(int hour, bool inUTC) noexcept { return PutField(kHour, hour, inUTC); }
int VexTime::PutMinutes(int minutes, bool inUTC) noexcept { return PutField(kMinute, minutes, inUTC); }
int VexTime::PutWeek(int week, bool inUTC) noexcept { return PutField(kWeek, week, inUTC); }
int VexTime::PutDayOfWeek(int dayOfWeek, bool inUTC, bool) noexcept { return PutField(kDayOfWeek, dayOfWeek, inUTC); }

int VexTime::PutSeconds(int seconds) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (IsDynamic()) {
    Dynamic()->PutSecond(seconds);
  } else {
    Date()->PutSecond(seconds);
  }
  return 0;
}

int VexTime::PutMilliSeconds(int milliseconds) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (IsStatic()) Date()->PutMillisecond(milliseconds);
  return 0;
}

int VexTime::PutActualField(int field, int v) noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  if (IsDynamic()) {
    Write(*Dynamic(), field, v);
  } else {
    Write(*Date(), field, v);
  }
  return 0;
}

int VexTime::PutActualYear(int year) noexcept { return PutActualField(kYear, year); }
int VexTime::PutActualMonth(int month) noexcept { return PutActualField(kMonth, month); }
int VexTime::PutActualDay(int day) noexcept { return PutActualField(kDay, day); }
int VexTime::PutActualWeek(int week) noexcept { return PutActualField(kWeek, week); }
int VexTime::PutActualDayOfWeek(int dayOfWeek) noexcept { return PutActualField(kDayOfWeek, dayOfWeek); }
int VexTime::PutActualHour(int hour) noexcept { return PutActualField(kHour, hour); }
int VexTime::PutActualMinutes(int minutes) noexcept { return PutActualField(kMinute, minutes); }

// --- Conversions -------------------------------------------------------------------------------

int VexTime::ToDateTime(bool inUTC, DateTime& result) const noexcept {
  return ToDateTime(inUTC, result, TimeZone::Local());
}

int VexTime::ToDateTime(bool inUTC, DateTime& result, TimeZone const& zone) const noexcept {
  switch (mode_) {
    case TIME_MODE_UTC:
      result = inUTC ? *Date() : Date()->ToLocalTime(zone);
      return 0;
    case TIME_MODE_LOCAL:
      result = inUTC ? Date()->ToUTCTime(zone) : *Date();
      return 0;
    case TIME_MODE_DYNAMIC: {
      DateTime r = result;
      if (Dynamic()->ToDateTime(r, zone) == -1) return E_TIME_RESOLVE_FAILED;
      result = inUTC ? r : r.ToLocalTime(zone);
      return 0;
    }
    default:
      return 1;
  }
}

int VexTime::TolocalDATE(double& date, bool inUTC) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  DateTime d;
  ToDateTime(inUTC, d);
  date = d.ToDATE();
  return 0;
}

int VexTime::TolocalDATEWithFixedTime(double& date, bool inUTC, int fixedTime) const noexcept {
  if (mode_ == TIME_MODE_UNSET) return E_TIME_NOT_SET;
  DateTime d(static_cast<long long>(fixedTime), 0);
  ToDateTime(inUTC, d);
  date = d.ToDATE();
  return 0;
}

// --- Comparison ----------------------------------------------------------------------------------

void VexTime::Align(VexTime const& other, DateTime& a, DateTime& b) const noexcept {
  // Descriptions are resolved against one reading of the clock; one that
  // does not resolve stands for 1899-12-30 00:00:00.000.
  DateTime const now = IsDynamic() || other.IsDynamic() ? DateTime::Now() : DateTime();
  auto asDate = [&now](VexTime const& v) {
    if (v.IsStatic()) return *v.Date();
    DateTime r = now;
    if (v.Dynamic()->ToDateTime(r) == -1) r = DateTime();
    return r;
  };
  a = asDate(*this);
  b = asDate(other);
  if (mode_ == other.mode_) return;
  if (mode_ == TIME_MODE_LOCAL) {
    b = b.ToLocalTime();
  } else if (other.mode_ == TIME_MODE_LOCAL) {
    a = a.ToLocalTime();
  }
}

bool VexTime::operator==(VexTime const& other) const noexcept {
  if (mode_ == TIME_MODE_UNSET || other.mode_ == TIME_MODE_UNSET) return mode_ == other.mode_;
  if (IsDynamic() && other.IsDynamic()) return Dynamic()->GetDynamicTime() == other.Dynamic()->GetDynamicTime();
  DateTime a, b;
  Align(other, a, b);
  return a == b;
}

// Kind 1 (invalid) orders before every value and kind 0 (a fixed date
// without its flag) after every value; these are tested before the dates.
bool VexTime::operator<(VexTime const& other) const noexcept {
  if (mode_ == TIME_MODE_UNSET || other.mode_ == TIME_MODE_UNSET) {
    return mode_ == TIME_MODE_UNSET && other.mode_ != TIME_MODE_UNSET;
  }
  bool const da = IsDynamic(), db = other.IsDynamic();
  int const a = da ? Dynamic()->GetDynamicTime() : 0;
  int const b = db ? other.Dynamic()->GetDynamicTime() : 0;
  if (db && b == 1) return false;
  if (da && a == 1) return true;
  if (da && a == 0) return false;
  if (db && b == 0) return true;
  if (da && db && a == b) return false;
  DateTime x, y;
  Align(other, x, y);
  return x < y;
}

bool VexTime::operator>(VexTime const& other) const noexcept {
  if (mode_ == TIME_MODE_UNSET || other.mode_ == TIME_MODE_UNSET) {
    return mode_ != TIME_MODE_UNSET && other.mode_ == TIME_MODE_UNSET;
  }
  bool const da = IsDynamic(), db = other.IsDynamic();
  int const a = da ? Dynamic()->GetDynamicTime() : 0;
  int const b = db ? other.Dynamic()->GetDynamicTime() : 0;
  if (db && b == 0) return false;
  if (da && a == 0) return true;
  if (da && a == 1) return false;
  if (db && b == 1) return true;
  if (da && db && a == b) return false;
  DateTime x, y;
  Align(other, x, y);
  return x > y;
}

}  // namespace QDataType
