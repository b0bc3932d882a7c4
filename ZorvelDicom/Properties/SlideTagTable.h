// The one lookup from a slide tag to the reader of its value: rows of single tags or tag ranges,
// the first row added for a tag wins. Built once, then read-only and safe from any thread.
#pragma once

#include <algorithm>
#include <vector>

#include "oleauto.h"

class CDicomZorvelImpl;

// Reads one tag on the slide-access object (m_csSlide held) into a VT_EMPTY value.
using SlideTagReader = HRESULT (*)(CDicomZorvelImpl& slide, LONG tag, VARIANT& value);

struct SlideTagRow {
  LONG first;
  LONG last;  // a range of tags shares one reader
  SlideTagReader read;
};

class SlideTagTable {
 public:
  void Add(LONG tag, SlideTagReader read) { Add(tag, tag, read); }
  void Add(LONG first, LONG last, SlideTagReader read) {
    if (Find(first) == nullptr) m_rows.push_back({first, last, read});
  }
  // The row that answers tag, or null for a tag that is no slide property.
  const SlideTagRow* Find(LONG tag) const {
    const auto row = std::find_if(m_rows.begin(), m_rows.end(),
                                  [tag](const SlideTagRow& r) { return tag >= r.first && tag <= r.last; });
    return row == m_rows.end() ? nullptr : &*row;
  }

 private:
  std::vector<SlideTagRow> m_rows;  // in the order added
};
