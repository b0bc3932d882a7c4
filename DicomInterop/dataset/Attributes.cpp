// Typed reads of attributes from a GDCM dataset (see Attributes.h).
// Binary values are little endian as GDCM keeps them in memory.
#include "Attributes.h"

#include <charconv>
#include <cstring>

#include <gdcmDict.h>
#include <gdcmDicts.h>
#include <gdcmGlobal.h>

namespace dicominterop::attr {
namespace {

gdcm::VR VrOf(const gdcm::DataElement& de) {
  const gdcm::VR vr = de.GetVR();
  if (vr != gdcm::VR::INVALID && vr != gdcm::VR::UN) return vr;
  static const gdcm::Dicts& dicts = gdcm::Global::GetInstance().GetDicts();
  return dicts.GetDictEntry(de.GetTag()).GetVR();
}

const gdcm::ByteValue* ValueOf(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  if (!ds.FindDataElement(tag)) return nullptr;
  return ds.GetDataElement(tag).GetByteValue();
}

template <class T>
void AppendBinary(const gdcm::ByteValue& bv, std::vector<double>& out) {
  const size_t n = bv.GetLength() / sizeof(T);
  out.reserve(out.size() + n);
  for (size_t i = 0; i < n; ++i) {
    T v;
    std::memcpy(&v, bv.GetPointer() + i * sizeof(T), sizeof(T));
    out.push_back(static_cast<double>(v));
  }
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\0')) s.remove_suffix(1);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  return s;
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

std::string Text(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  const gdcm::ByteValue* bv = ValueOf(ds, tag);
  if (!bv || !bv->GetPointer()) return {};
  return std::string(Trim(std::string_view(bv->GetPointer(), bv->GetLength())));
}

std::vector<std::string> Texts(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  std::vector<std::string> values;
  const gdcm::ByteValue* bv = ValueOf(ds, tag);
  if (!bv || !bv->GetPointer()) return values;
  std::string_view all(bv->GetPointer(), bv->GetLength());
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find('\\', start);
    if (end == std::string_view::npos) end = all.size();
    values.emplace_back(Trim(all.substr(start, end - start)));
    start = end + 1;
  }
  return values;
}

std::vector<double> Numbers(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  std::vector<double> out;
  if (!ds.FindDataElement(tag)) return out;
  const gdcm::DataElement& de = ds.GetDataElement(tag);
  const gdcm::ByteValue* bv = de.GetByteValue();
  if (!bv || !bv->GetPointer()) return out;
  switch (static_cast<long long>(VrOf(de))) {
    case gdcm::VR::US: AppendBinary<uint16_t>(*bv, out); break;
    case gdcm::VR::SS: AppendBinary<int16_t>(*bv, out); break;
    case gdcm::VR::UL: AppendBinary<uint32_t>(*bv, out); break;
    case gdcm::VR::SL: AppendBinary<int32_t>(*bv, out); break;
    case gdcm::VR::FL: AppendBinary<float>(*bv, out); break;
    case gdcm::VR::FD: AppendBinary<double>(*bv, out); break;
    case gdcm::VR::UV: AppendBinary<uint64_t>(*bv, out); break;
    case gdcm::VR::SV: AppendBinary<int64_t>(*bv, out); break;
    default:
      for (const std::string& t : Texts(ds, tag)) {
        if (auto v = ParseDecimal(t)) out.push_back(*v);
      }
  }
  return out;
}

std::optional<double> Number(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  std::vector<double> v = Numbers(ds, tag);
  if (v.empty()) return std::nullopt;
  return v.front();
}

std::vector<uint8_t> Bytes(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  const gdcm::ByteValue* bv = ValueOf(ds, tag);
  if (!bv || !bv->GetPointer()) return {};
  const auto* p = reinterpret_cast<const uint8_t*>(bv->GetPointer());
  return std::vector<uint8_t>(p, p + bv->GetLength());
}

std::vector<uint64_t> UInt64s(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  const std::vector<uint8_t> bytes = Bytes(ds, tag);
  std::vector<uint64_t> values(bytes.size() / 8);
  if (!values.empty()) std::memcpy(values.data(), bytes.data(), values.size() * 8);
  return values;
}

gdcm::SmartPointer<gdcm::SequenceOfItems> Sequence(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  if (!ds.FindDataElement(tag)) return nullptr;
  return ds.GetDataElement(tag).GetValueAsSQ();
}

FirstItem::FirstItem(const gdcm::DataSet& ds, const gdcm::Tag& tag) : sequence(Sequence(ds, tag)) {
  if (sequence && sequence->GetNumberOfItems() > 0) item = &sequence->GetItem(1).GetNestedDataSet();
}

std::string CodeMeaning(const gdcm::DataSet& ds, const gdcm::Tag& tag) {
  FirstItem item(ds, tag);
  return item ? Text(*item, gdcm::Tag(0x0008, 0x0104)) : std::string();
}

}  // namespace dicominterop::attr
