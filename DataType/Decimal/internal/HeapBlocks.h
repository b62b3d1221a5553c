// The decimal values' heap blocks are the base layer's (Base/internal/HeapBlocks.h).
#pragma once

#include "Base/internal/HeapBlocks.h"

namespace QDataType {
namespace decimal {

using QBase::AllocateHeapBlock;
using QBase::BlockClass;
using QBase::FreeHeapBlock;
using QBase::kBlockSizes;
using QBase::kBlockStep;
using QBase::kKeptBytes;
using QBase::kKeptPerSize;

}  // namespace decimal
}  // namespace QDataType
