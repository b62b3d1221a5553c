/// @file
/// The base layer: arenas, reference counting, owning pointers, returned text,
/// character-set conversion, messages and exceptions, serialization streams.
///
/// @namespace QBase
/// The base layer that every value type builds on.
///
/// Arenas (Memory.h), intrusive reference counting and memory contracts
/// (RefCount.h), owning pointers (ReturnPtr.h), returned text and UTF-8/UTF-16
/// conversion (Strings.h), messages and exceptions (Message.h).
///
/// @namespace QSerialization
/// The serialization streams that callers pass to values that persist
/// themselves (Serialization.h).
#pragma once

#include "Base/Export.h"
#include "Base/Memory.h"
#include "Base/Message.h"
#include "Base/RefCount.h"
#include "Base/ReturnPtr.h"
#include "Base/Serialization.h"
#include "Base/Strings.h"
