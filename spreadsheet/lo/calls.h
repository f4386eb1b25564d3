#pragma once

// Small helpers the parts of the backend share for their calls into the
// office (Call itself is in objects.h).

#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/table/CellAddress.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>

namespace sheet::lo {

using css::beans::PropertyValue;
using css::beans::XPropertySet;
using css::uno::Any;
using css::uno::Sequence;

// One entry of a media or load descriptor.
css::beans::PropertyValue Prop(const char* name, const css::uno::Any& value);
// Where a cell range lies in its document.
css::table::CellRangeAddress AddressOf(const Reference<css::table::XCellRange>& range);
// Adds or replaces a name in the "NamedRanges" of `owner` (a document for
// workbook-level names, a sheet for sheet-scoped ones); a new name's
// relative references count from `base`.
void PutNamedRange(const Reference<XPropertySet>& owner, const DefinedName& name,
                   const css::table::CellAddress& base);

} // namespace sheet::lo
