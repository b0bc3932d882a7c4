// Typed reads of attributes from a parsed Dataset (see Attributes.h).
#include "Attributes.h"

#include <charconv>
#include <cstring>

namespace dicominterop::attr {
namespace {

std::span<const uint8_t> ValueOf(const Dataset& ds, uint32_t tag) {
  const DataElement* e = ds.Find(tag);
  return e && !e->sequence ? e->value : std::span<const uint8_t>();
}

template <class T>
void AppendBinary(std::span<const uint8_t> bytes, std::vector<double>& out) {
  const size_t n = bytes.size() / sizeof(T);
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    T v;
    std::memcpy(&v, bytes.data() + i * sizeof(T), sizeof(T));
    out.push_back(static_cast<double>(v));
  }
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
}

std::string_view AsText(std::span<const uint8_t> value) {
  return std::string_view(reinterpret_cast<const char*>(value.data()), value.size());
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::string Text(const Dataset& ds, uint32_t tag) { return std::string(Trim(AsText(ValueOf(ds, tag)))); }

std::vector<std::string> Texts(const Dataset& ds, uint32_t tag) {
  std::vector<std::string> values;
  const DataElement* e = ds.Find(tag);
  if (!e || e->sequence) return values;
  const std::string_view all = AsText(e->value);
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\\', start);
    if (end == std::string_view::npos) end = all.size();
    values.emplace_back(Trim(all.substr(start, end - start)));
    start = end + 1;
  }
  return values;
}

std::vector<double> Numbers(const Dataset& ds, uint32_t tag) {
  std::vector<double> out;
  const DataElement* e = ds.Find(tag);
  if (!e || e->sequence) return out;
  const std::string_view vr(e->vr, 2);
  if (vr == "US") AppendBinary<uint16_t>(e->value, out);
  else if (vr == "SS") AppendBinary<int16_t>(e->value, out);
  else if (vr == "UL") AppendBinary<uint32_t>(e->value, out);
  else if (vr == "SL") AppendBinary<int32_t>(e->value, out);
  else if (vr == "FL") AppendBinary<float>(e->value, out);
  else if (vr == "FD") AppendBinary<double>(e->value, out);
  else if (vr == "UV") AppendBinary<uint64_t>(e->value, out);
  else if (vr == "SV") AppendBinary<int64_t>(e->value, out);
  else {
    for (const std::string& t : Texts(ds, tag)) {
      if (auto v = ParseDecimal(t)) out.push_back(*v);
    }
  }
  return out;
}

std::optional<double> Number(const Dataset& ds, uint32_t tag) {
  std::vector<double> v = Numbers(ds, tag);
  if (v.empty()) return std::nullopt;
  return v.front();
}

std::vector<uint8_t> Bytes(const Dataset& ds, uint32_t tag) {
  const std::span<const uint8_t> value = ValueOf(ds, tag);
  return std::vector<uint8_t>(value.begin(), value.end());
}

std::vector<uint64_t> UInt64s(const Dataset& ds, uint32_t tag) {
  const std::span<const uint8_t> bytes = ValueOf(ds, tag);
  std::vector<uint64_t> values(bytes.size() / 8);
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 8);
  return values;
}

std::span<const Dataset> Items(const Dataset& ds, uint32_t tag) {
  const DataElement* e = ds.Find(tag);
  return e && e->sequence ? std::span<const Dataset>(e->items) : std::span<const Dataset>();
}

FirstItem::FirstItem(const Dataset& ds, uint32_t tag) {
  const std::span<const Dataset> items = Items(ds, tag);
  if (!items.empty()) item = &items.front();
}

std::string CodeMeaning(const Dataset& ds, uint32_t tag) {
  FirstItem item(ds, tag);
  return item ? Text(*item, tags::kCodeMeaning) : std::string();
}

}  // namespace dicominterop::attr
