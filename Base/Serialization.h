// Serialization streams that callers pass to values that persist themselves.
//
// The library writes and reads whole items through these interfaces and puts
// no bytes into the stream itself; the encoding, the other operations and the
// error reporting belong to the stream's implementer. Results are not used.
#pragma once

#include "Base/Export.h"

namespace QDataType {
class DateTime;
class DynamicTime;
}  // namespace QDataType

namespace QSerialization {

class QDT_API WriteDataStream {
 public:
  virtual ~WriteDataStream();
  virtual int WriteDynamicTime(QDataType::DynamicTime const* value) = 0;
  virtual int WriteDateTime(QDataType::DateTime const* value) = 0;
  virtual int WriteInt(int value) = 0;
};

class QDT_API ReadDataStream {
 public:
  virtual ~ReadDataStream();
  virtual int ReadDynamicTime(QDataType::DynamicTime* value) = 0;
  virtual int ReadDateTime(QDataType::DateTime* value) = 0;
  virtual int ReadInt(int* value) = 0;
};

}  // namespace QSerialization
