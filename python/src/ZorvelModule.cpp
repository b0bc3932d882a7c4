// zorvel._zorvel: the Python binding of SlideHandle. The GIL is released around every call into the
// module; a failed call raises zorvel.ZorvelError(message, hresult, call).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdio>

#include "SlideHandle.h"

namespace py = pybind11;

namespace zorvel_py {
namespace {

struct HostCallError {
  CallResult result;
};

void ThrowOnFailure(const CallResult& result) {
  if (FAILED(result.hr)) throw HostCallError{result};
}

std::string HresultText(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hr));
  return text;
}

void TranslateHostCallError(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const HostCallError& failure) {
    const auto hr = static_cast<std::uint32_t>(failure.result.hr);
    const std::string message = failure.result.call + " failed with " + HresultText(failure.result.hr);
    py::object type = py::module_::import("zorvel._errors").attr("ZorvelError");
    py::object instance = type(message, hr, failure.result.call);
    PyErr_SetObject(type.ptr(), instance.ptr());
  }
}

// Runs `call` with the GIL released and raises its failure.
template <class Call>
void Unlocked(Call&& call) {
  CallResult result;
  {
    py::gil_scoped_release release;
    result = call();
  }
  ThrowOnFailure(result);
}

ChannelSelection Channels(LONG red, LONG green, LONG blue, std::optional<LONG> focus) {
  return {red, green, blue, focus.has_value(), focus.value_or(0)};
}

// read_region into a C-contiguous (height, width, 3 or 4) array of uint8 or uint16.
void ReadRegionInto(SlideHandle& slide, py::buffer target, LONG level, std::int64_t x, std::int64_t y,
                    std::int64_t levelWidth, std::int64_t levelHeight, LONG red, LONG green, LONG blue,
                    std::optional<LONG> focus) {
  const py::buffer_info info = target.request(true);
  const bool wide = info.itemsize == 2;
  if (info.ndim != 3 || (info.shape[2] != 3 && info.shape[2] != 4) || (info.itemsize != 1 && !wide) ||
      info.strides[2] != info.itemsize || info.strides[1] != info.itemsize * info.shape[2]) {
    throw py::value_error("target must be a C-contiguous (height, width, 3 or 4) array of uint8 or uint16");
  }
  const RegionRequest region{level, x, y, info.shape[1], info.shape[0], levelWidth, levelHeight};
  const DestinationLayout layout{static_cast<std::uint8_t*>(info.ptr), info.strides[0],
                                 static_cast<int>(info.shape[2]), static_cast<int>(info.itemsize)};
  const ChannelSelection channels = Channels(red, green, blue, focus);
  Unlocked([&] { return slide.ReadRegion(region, channels, layout); });
}

py::object AttributeValue(const zorvel_cli::AnnotationAttribute& attribute) {
  if (!attribute.isNumber) return py::str(attribute.text);
  return py::int_(py::str(attribute.text));
}

py::dict Annotation(std::string kind, py::tuple bounds, py::list attributes) {
  py::dict out;
  out["kind"] = std::move(kind);
  out["bounds"] = std::move(bounds);
  out["attributes"] = std::move(attributes);
  return out;
}

// Flag records and TMA markers as dicts of kind, bounds (level-0 pixels) and (name, value) pairs.
py::list AnnotationList(const zorvel_cli::SlideAnnotations& annotations) {
  py::list out;
  for (const zorvel_cli::FlagRecord& flag : annotations.flags) {
    py::list attributes;
    for (const auto& attribute : flag.attributes) attributes.append(py::make_tuple(attribute.name, AttributeValue(attribute)));
    out.append(Annotation(flag.kind, py::make_tuple(flag.left, flag.top, flag.right, flag.bottom), attributes));
  }
  for (const zorvel_cli::TmaMarker& marker : annotations.markers) {
    py::list attributes;
    attributes.append(py::make_tuple("Caption", marker.name));
    attributes.append(py::make_tuple("Desc", marker.comment));
    attributes.append(py::make_tuple("LineColor", marker.lineColor));
    attributes.append(py::make_tuple("OuterDiameter", marker.outerDiameter));
    attributes.append(py::make_tuple("InnerDiameter", marker.innerDiameter));
    out.append(Annotation("TMAMarker", py::make_tuple(marker.x, marker.y, marker.x, marker.y), attributes));
  }
  return out;
}

}  // namespace
}  // namespace zorvel_py

PYBIND11_MODULE(_zorvel, m) {
  using namespace zorvel_py;
  m.doc() = "Binding of ZorvelDicom.so for the zorvel package";
  py::register_exception_translator(&TranslateHostCallError);

  py::class_<SlideHandle>(m, "SlideHandle")
      .def(py::init<>())
      .def("open",
           [](SlideHandle& self, const std::string& module, const std::string& directory) {
             Unlocked([&] { return self.Open(module, directory); });
           })
      .def("close", [](SlideHandle& self) {
        py::gil_scoped_release release;
        self.Close();
      })
      .def("property_tags",
           [](SlideHandle& self) {
             std::vector<std::pair<LONG, std::string>> tags;
             Unlocked([&] { return self.PropertyTags(tags); });
             return tags;
           })
      .def("property",
           [](SlideHandle& self, LONG tag) {
             std::string type, value;
             Unlocked([&] { return self.PropertyText(tag, type, value); });
             return py::make_tuple(type, value);
           })
      .def("put_bool_property",
           [](SlideHandle& self, LONG key, bool value) {
             Unlocked([&] { return self.PutBoolProperty(key, value); });
           })
      .def("channel_property",
           [](SlideHandle& self, LONG tag, LONG channel) {
             std::string type, value;
             Unlocked([&] { return self.ChannelPropertyText(tag, channel, type, value); });
             return py::make_tuple(type, value);
           })
      .def("read_region_into", &ReadRegionInto, py::arg("target"), py::arg("level"), py::arg("x"), py::arg("y"),
           py::arg("level_width"), py::arg("level_height"), py::arg("red"), py::arg("green"), py::arg("blue"),
           py::arg("focus") = py::none())
      .def("read_tile_raw",
           [](SlideHandle& self, LONG level, LONG column, LONG row, LONG focus) {
             RawTile tile;
             Unlocked([&] { return self.ReadRawTile(level, column, row, focus, tile); });
             return py::make_tuple(static_cast<int>(tile.type),
                                   py::bytes(reinterpret_cast<const char*>(tile.bytes.data()), tile.bytes.size()));
           })
      .def("single_image_exists",
           [](SlideHandle& self, LONG type) {
             bool exists = false;
             Unlocked([&] { return self.SingleImageExists(type, exists); });
             return exists;
           })
      .def("single_image",
           [](SlideHandle& self, LONG type) {
             RgbImage image;
             Unlocked([&] { return self.ReadSingleImage(type, image); });
             return py::make_tuple(image.width, image.height,
                                   py::bytes(reinterpret_cast<const char*>(image.rgb.data()), image.rgb.size()));
           })
      .def("annotations", [](SlideHandle& self) {
        zorvel_cli::SlideAnnotations annotations;
        Unlocked([&] { return self.ReadAnnotations(annotations); });
        return AnnotationList(annotations);
      });
}
