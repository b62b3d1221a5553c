#include "DataType/Version.h"

namespace QDataType {

int GetLibraryVersion() noexcept { return QDT_VERSION; }

}  // namespace QDataType
