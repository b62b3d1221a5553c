/// @file
/// Serialization streams that callers pass to values that persist themselves.
///
/// The library writes and reads whole items through these interfaces and puts
/// no bytes into the stream itself; the encoding, the other operations and the
/// error reporting belong to the stream's implementer. Results are not used.
#pragma once

#include "Base/Export.h"

namespace QDataType {
class DateTime;
class DynamicTime;
}  // namespace QDataType

namespace QSerialization {

/// A stream that a value writes itself into, implemented by the caller.
class QDT_API WriteDataStream {
 public:
  virtual ~WriteDataStream();
  /// Writes a dynamic date description; the library keeps ownership.
  virtual int WriteDynamicTime(QDataType::DynamicTime const* value) = 0;
  /// Writes a date and time; the library keeps ownership.
  virtual int WriteDateTime(QDataType::DateTime const* value) = 0;
  /// Writes a 32-bit integer.
  virtual int WriteInt(int value) = 0;
};

/// A stream that a value reads itself back from, implemented by the caller.
class QDT_API ReadDataStream {
 public:
  virtual ~ReadDataStream();
  /// Fills `*value` with the next item, as written by WriteDynamicTime.
  virtual int ReadDynamicTime(QDataType::DynamicTime* value) = 0;
  /// Fills `*value` with the next item, as written by WriteDateTime.
  virtual int ReadDateTime(QDataType::DateTime* value) = 0;
  /// Fills `*value` with the next item, as written by WriteInt.
  virtual int ReadInt(int* value) = 0;
};

}  // namespace QSerialization
