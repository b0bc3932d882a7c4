// CWSIAnnotations: concatenates the column form of every annotation set of the slide.
#include "WSIAnnotations.h"

#include <new>

#include "AnnotationSet.h"
#include "DicomInteropDefines.h"

using namespace DicomInteropDefines;

CWSIAnnotations::CWSIAnnotations() = default;
CWSIAnnotations::~CWSIAnnotations() = default;
CWSIAnnotations::CWSIAnnotations(const CWSIAnnotations&) = default;
CWSIAnnotations& CWSIAnnotations::operator=(const CWSIAnnotations&) = default;

void CWSIAnnotations::Assign(
    std::shared_ptr<const std::vector<std::shared_ptr<const dicominterop::AnnotationSet>>> sets) {
  m_sets = std::move(sets);
}

bool CWSIAnnotations::IsReal3D() const {
  if (!m_sets) return false;
  for (const auto& set : *m_sets) {
    if (set->is3D && !set->kinds.empty()) return true;
  }
  return false;
}

template <class T>
static void Append(std::vector<T>& to, const std::vector<T>& from) {
  to.insert(to.end(), from.begin(), from.end());
}

long CWSIAnnotations::GetAnnotations(std::vector<bool>& hasIdentifier, std::vector<std::string>& identifiers,
                                     std::vector<int32_t>& kinds, std::vector<uint32_t>& colours,
                                     std::vector<std::u16string>& captions, std::vector<std::u16string>& descriptions,
                                     std::vector<std::vector<double>>& points,
                                     std::vector<std::vector<std::string>>& texts,
                                     std::vector<bool>& appliesToAllPlanes, std::vector<double>& measurements,
                                     std::vector<double>& firstZ, std::vector<std::vector<double>>& pointsZ) const {
  try {
    hasIdentifier.clear(), identifiers.clear(), kinds.clear(), colours.clear(), captions.clear();
    descriptions.clear(), points.clear(), texts.clear(), appliesToAllPlanes.clear(), measurements.clear();
    firstZ.clear(), pointsZ.clear();
    if (!m_sets) return WSI_OK;
    const bool any3D = IsReal3D();
    for (const auto& set : *m_sets) {
      Append(hasIdentifier, set->hasIdentifier), Append(identifiers, set->identifiers), Append(kinds, set->kinds);
      Append(colours, set->colours), Append(captions, set->captions), Append(descriptions, set->descriptions);
      Append(points, set->points), Append(texts, set->texts), Append(appliesToAllPlanes, set->appliesToAllPlanes);
      Append(measurements, set->measurements), Append(firstZ, set->firstZ);
      if (any3D) {
        if (set->is3D) Append(pointsZ, set->pointsZ);
        else pointsZ.resize(pointsZ.size() + set->kinds.size());
      }
    }
    return WSI_OK;
  } catch (const std::bad_alloc&) {
    return WSI_E_OUTOFMEMORY;
  }
}

long CWSIAnnotations::Close() {
  m_sets.reset();
  return WSI_OK;
}
