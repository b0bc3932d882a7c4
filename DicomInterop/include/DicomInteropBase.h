// Ownership rule of the slide library: every buffer handed out through an out pointer is
// allocated by the library and released by the caller with CDicomInteropBase::Free.
#pragma once

#include <memory>

#include "DicomInteropApi.h"

class DICOMINTEROP_API CDicomInteropBase {
 public:
  // Releases a buffer the library handed out (tiles, texts, tables, images). Null is allowed.
  static void Free(void* buffer);

  // Shared owner of a library buffer; the last owner releases it through Free.
  template <class T>
  class DeleteDelegatorPtr : public std::shared_ptr<T> {
   public:
    DeleteDelegatorPtr() : std::shared_ptr<T>(nullptr, &DeleteDelegatorPtr::Release) {}
    explicit DeleteDelegatorPtr(T* buffer) : std::shared_ptr<T>(buffer, &DeleteDelegatorPtr::Release) {}

   private:
    static void Release(T* buffer) { CDicomInteropBase::Free(buffer); }
  };
};

// Initialises the library once per process; 0 on success.
extern "C" DICOMINTEROP_API long InitDicomInterop();
