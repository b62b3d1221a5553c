// The base layer: arenas, reference counting, owning pointers, returned text,
// character-set conversion, messages and exceptions, serialization streams.
#pragma once

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/Message.h"
#include "Base/RefCount.h"
#include "Base/ReturnPtr.h"
#include "Base/Serialization.h"
#include "Base/Strings.h"
