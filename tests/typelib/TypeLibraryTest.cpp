// The ZORVELDICOMLib library as a host sees it: identity, library order, the identifiers of the
// public header, help strings read through ITypeInfo::GetDocumentation, and enumerations.

#include <gtest/gtest.h>
#include <ZorvelDicom/ZorvelDicom.h>
#include <objbase.h>

#include <string>

#include "LibraryWalk.h"

namespace typelib_test {
namespace {

using zplatform::automation::MemberDecl;

class Bstr {
 public:
  ~Bstr() { SysFreeString(value_); }
  BSTR* operator&() { return &value_; }
  std::u16string Text() const { return value_ == nullptr ? u"" : std::u16string(value_, SysStringLen(value_)); }

 private:
  BSTR value_ = nullptr;
};

ITypeLib* Library() {
  static ITypeLib* const library = [] {
    ITypeLib* loaded = nullptr;
    return SUCCEEDED(ZRegisterTypeLibDecl(ZorvelTypeLib::kZORVELDICOMLib, &loaded)) ? loaded : nullptr;
  }();
  return library;
}

TEST(ZorvelDicomLib, BuildsWithIdentityVersionAndLocale) {
  ITypeLib* library = Library();
  ASSERT_NE(library, nullptr);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_TRUE(IsEqualGUID(attr->guid, LIBID_ZORVELDICOMLib));
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 1033u);
  library->ReleaseTLibAttr(attr);
  Bstr name, help;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(name.Text(), u"ZORVELDICOMLib");
  EXPECT_EQ(help.Text(), u"ZorvelDICOM 1.0 Type Library");
}

TEST(ZorvelDicomLib, ListsItsTypesInLibraryOrder) {
  ITypeLib* library = Library();
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(library->GetTypeInfoCount(), 34u);  // 2 classes, 28 interfaces, 4 enumerations
  const struct {
    UINT index;
    const char16_t* name;
    TYPEKIND kind;
  } expected[] = {
      {0, u"KLVZorvelDICOM", TKIND_COCLASS},
      {1, u"IKLVZorvel", TKIND_DISPATCH},
      {4, u"E_KLVImageType", TKIND_ENUM},
      {7, u"WSIAnnotations", TKIND_COCLASS},
      {8, u"ISeSlideFlagProvider", TKIND_DISPATCH},
      {15, u"ISeSlideDataRec", TKIND_INTERFACE},
      {26, u"IKLVBinAnnotProgressCallback", TKIND_INTERFACE},
      {33, u"IKLVBinAnnotGetterShapePoint1", TKIND_DISPATCH},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.index);
    Bstr name;
    EXPECT_EQ(library->GetDocumentation(static_cast<INT>(e.index), &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.Text(), e.name);
    TYPEKIND kind = TKIND_MAX;
    EXPECT_EQ(library->GetTypeInfoType(e.index, &kind), S_OK);
    EXPECT_EQ(kind, e.kind);
  }
}

TEST(ZorvelDicomLib, IdentifiersHaveTheirRegistryForm) {
  const struct {
    const GUID& id;
    const char16_t* text;
  } expected[] = {
      {LIBID_ZORVELDICOMLib, u"{E501ACA5-11A9-4032-868B-3A58D0B96C0D}"},
      {CLSID_KLVZorvelDICOM, u"{1023531A-7F0D-40EC-85C5-31A48D341530}"},
      {CLSID_WSIAnnotations, u"{7D4CCBB6-F86B-422D-91CD-133CD998D029}"},
      {IID_IKLVZorvel, u"{24FFBF2A-12CD-4AB9-B710-E6C1C7C9E780}"},
      {IID_IKLVZorvel3, u"{7DC45406-2435-40E5-86FD-FCFF46D94A4C}"},
      {IID_IKLVBitmapImage2, u"{01ECD385-515C-42B6-B414-7C49C172A950}"},
      {IID_IKLVMemoryBuffer, u"{2155AF60-7355-4565-8030-FDFFBF472563}"},
      {IID_ISeSlideDataAccessibilityRec, u"{65386728-9540-4452-8FF3-7760307686DE}"},
      {IID_IKLVBinAnnotGetterShapePoint1, u"{684B7E04-7688-4DCE-B499-6C1BD6ADFBDC}"},
  };
  for (const auto& e : expected) {
    OLECHAR text[39] = {};
    ASSERT_EQ(StringFromGUID2(e.id, text, 39), 39);
    EXPECT_EQ(std::u16string(text), e.text);
  }
}

// Each interface's type information carries the interface's IID, and the header names it alike.
TEST(ZorvelDicomLib, EveryInterfaceIsFoundByTheHeadersIdentifier) {
  for (const auto* decl : LibraryInterfaces()) {
    SCOPED_TRACE(Narrow(decl->name));
    ITypeInfo* info = nullptr;
    ASSERT_EQ(Library()->GetTypeInfoOfGuid(decl->iid, &info), S_OK);
    Bstr name;
    EXPECT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(name.Text(), decl->name);
    info->Release();
  }
}

std::u16string Documentation(REFIID iid, MEMBERID id) {
  ITypeInfo* info = nullptr;
  if (FAILED(ZGetTypeInfoOfDecl(ZorvelTypeLib::kZORVELDICOMLib, iid, &info))) return u"<no type info>";
  Bstr help;
  const HRESULT hr = info->GetDocumentation(id, nullptr, &help, nullptr, nullptr);
  info->Release();
  return SUCCEEDED(hr) ? help.Text() : u"<no documentation>";
}

TEST(ZorvelDicomLib, HelpStringsAreReadableThroughTypeInformation) {
  const struct {
    const IID& iid;
    MEMBERID id;
    const char16_t* help;
  } expected[] = {
      {IID_IKLVZorvel, MEMBERID_NIL, u"IKLVZorvel Interface"},
      {IID_IKLVZorvel, 1, u"method OpenSlide"},
      {IID_IKLVZorvel3, 12, u"property Properties"},
      {IID_IKLVZorvel3, 17, u"GetImageRawBatch"},
      {IID_IKLVBitmapImage, MEMBERID_NIL, u"IKLVBitmapImage Interface - It does not work through COM proxy!!!"},
      {IID_IKLVBitmapImage, 3,
       u"method UnlockBits - Wrong signature! It should be '[in, out]'. It does not work through COM proxy!!!"},
      {IID_IKLVBinAnnotDataBaseEx, 5, u"method Shape"},
      {IID_ISeSlideFlagDataRec, 2, u"property Text"},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(Narrow(e.help));
    EXPECT_EQ(Documentation(e.iid, e.id), e.help);
  }
}

// Help strings follow "method X" / "property X" except where the library words them otherwise.
TEST(ZorvelDicomLib, HelpStringsNameTheirMember) {
  int worded = 0;
  for (const auto* decl : LibraryInterfaces()) {
    for (const MemberDecl& member : decl->members) {
      const std::u16string name(member.name);
      const std::u16string usual = (member.kind == INVOKE_FUNC ? u"method " : u"property ") + name;
      if (member.help == usual) continue;
      ++worded;
      const bool known = member.help == name || member.help == u"method " + name ||
                         member.help.starts_with(u"method " + name + u" - ");
      EXPECT_TRUE(known) << Narrow(decl->name) << "::" << Narrow(name) << ": " << Narrow(member.help);
    }
  }
  EXPECT_EQ(worded, 4 + 3 + 3 + 5);  // batch-call names, bitmap notes, properties worded as methods
}

ITypeInfo* TypeInfoNamed(std::u16string_view wanted) {
  for (UINT i = 0; i < Library()->GetTypeInfoCount(); ++i) {
    Bstr name;
    Library()->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr);
    ITypeInfo* info = nullptr;
    if (name.Text() == wanted && SUCCEEDED(Library()->GetTypeInfo(i, &info))) return info;
  }
  return nullptr;
}

TEST(ZorvelDicomLib, EnumerationsCarryTheirValues) {
  const struct {
    const char16_t* type;
    const char16_t* name;
    LONG value;
  } expected[] = {
      {u"E_KLVImageType", u"D_KLV_IT_JPG2000", 5},
      {u"E_KLVImageType", u"D_KLV_IT_NumOF", 6},
      {u"CSeSlideOpenMode", u"seOpenModeEvaluate", 3},
      {u"CSeSlideDataAccessMode", u"seAccesModeReadWrite", 2},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(Narrow(e.name));
    ITypeInfo* info = TypeInfoNamed(e.type);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    bool seen = false;
    for (UINT i = 0; i < attr->cVars; ++i) {
      VARDESC* var = nullptr;
      ASSERT_EQ(info->GetVarDesc(i, &var), S_OK);
      Bstr name;
      info->GetDocumentation(var->memid, &name, nullptr, nullptr, nullptr);
      if (name.Text() == e.name) {
        seen = true;
        EXPECT_EQ(var->lpvarValue->lVal, e.value);
      }
      info->ReleaseVarDesc(var);
    }
    EXPECT_TRUE(seen);
    info->ReleaseTypeAttr(attr);
    info->Release();
  }
}

}  // namespace
}  // namespace typelib_test
