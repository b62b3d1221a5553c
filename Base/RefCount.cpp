#include "Base/RefCount.h"
#include "Base/Serialization.h"

namespace QBase {
ReferenceCountedObject::~ReferenceCountedObject() = default;
}  // namespace QBase

namespace QSerialization {
WriteDataStream::~WriteDataStream() = default;
ReadDataStream::~ReadDataStream() = default;
}  // namespace QSerialization
