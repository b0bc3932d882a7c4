// Tag directories handed to hosts: rows of (tag, name, description) and the three parallel
// arrays (VT_I4 tags, VT_BSTR names, VT_BSTR descriptions) built from them.
// Failures of building or handing out are returned; null outs are skipped.
#pragma once

#include <span>

#include "oleauto.h"

struct PropertyTagRow {
  LONG tag;
  const char16_t* name;
  const char16_t* description;
};

// Fills each non-null out with one array of rows.size() entries, in row order, tags first.
HRESULT BuildPropertyTagList(std::span<const PropertyTagRow> rows, VARIANT* tags, VARIANT* names,
                             VARIANT* descriptions);
