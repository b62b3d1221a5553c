/// @file
/// QDataType: value data types for server modules.
///
/// Including this header declares every public type and function of the
/// library: the base layer (namespace QBase: arenas, owning and intrusive
/// pointers, returned text, messages and exceptions), the serialization stream
/// interfaces (namespace QSerialization) and the value types of namespace
/// QDataType, plus the global `GUID` and `EnumCellFmtDataTypes`.
///
/// @namespace QDataType
/// The library's value types and the functions that create them: calendar
/// values, decimals, blobs and collections, cell formats, and the version of
/// the library loaded.
#pragma once

#include "Base/Base.h"
#include "DataType/Version.h"

#include "DataType/Calendar/ODBC.h"
#include "DataType/Calendar/TimeSpan.h"
#include "DataType/Calendar/DateTime.h"
#include "DataType/Calendar/TimeZone.h"

#include "DataType/DynamicTime/DynamicTime.h"
#include "DataType/StoredTime/VexTime.h"

#include "DataType/TimeSeries/TimeSeries.h"
#include "DataType/TimeSeries/TimeSeriesImpl.h"

#include "DataType/Decimal/BigDecimal.h"

#include "DataType/Collections/Binary.h"
#include "DataType/Collections/BinaryCollection.h"
#include "DataType/Collections/StringCollection.h"
#include "DataType/Collections/ReferenceCountedObjectCollection.h"

#include "DataType/CellFormat/CellFmtTypes.h"
#include "DataType/CellFormat/CellFmtStruct.h"
#include "DataType/CellFormat/CellFmtData.h"

#include "DataType/Variant/Variant.h"
